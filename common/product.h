// Facts about the product that more than one message quotes.
#pragma once

// The product's home page, named by the messages that send the user to download the setup again.
inline constexpr char kHomePageUrl[] = "http://www.lanshi8.com";
