// Facts about the product that more than one message or entry quotes.
#pragma once

// The version this setup program installs, as its version resource gives it, and the maker named
// there.
inline constexpr char kProductVersion[] = "8.6";
inline constexpr wchar_t kProductVersionW[] = L"8.6";
inline constexpr wchar_t kPublisherW[] = L"智能岚石";

// The product's home page, named by the messages that send the user to download the setup again.
inline constexpr char kHomePageUrl[] = "http://www.lanshi8.com";
