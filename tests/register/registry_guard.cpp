// Saving and restoring registry trees for tests.
#include "tests/register/registry_guard.h"

#include <vector>

#include "common/handles.h"

struct RegistryTreeGuard::Node {
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Value> values;
    std::vector<std::pair<std::wstring, Node>> children;
};

namespace {

using Node = RegistryTreeGuard::Node;

void SaveKey(HKEY key, Node* node) {
    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxData = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values, &maxName, &maxData,
                     nullptr, nullptr);
    for (DWORD i = 0; i < values; ++i) {
        std::wstring name(maxName + 1, L'\0');
        std::vector<BYTE> data(maxData + 2);
        DWORD nameLength = maxName + 1, dataSize = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS) {
            continue;
        }
        name.resize(nameLength);
        data.resize(dataSize);
        node->values.push_back({name, type, data});
    }
    for (DWORD i = 0; i < subkeys; ++i) {
        std::wstring name(maxSubkey + 1, L'\0');
        DWORD nameLength = maxSubkey + 1;
        if (RegEnumKeyExW(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            continue;
        }
        name.resize(nameLength);
        UniqueHKey child;
        if (RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, child.Put()) != ERROR_SUCCESS) continue;
        node->children.emplace_back(name, Node{});
        SaveKey(child.Get(), &node->children.back().second);
    }
}

void RestoreKey(HKEY parent, const std::wstring& name, const Node& node) {
    UniqueHKey key;
    if (RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    for (const Node::Value& value : node.values) {
        // The system counts a string's terminator itself when the byte after the data is a NUL;
        // non-NUL bytes after the data keep a value stored without terminator exactly as it was.
        std::vector<BYTE> data = value.data;
        data.push_back(0xFF);
        data.push_back(0xFF);
        RegSetValueExW(key.Get(), value.name.c_str(), 0, value.type, data.data(),
                       static_cast<DWORD>(value.data.size()));
    }
    for (const auto& [childName, child] : node.children) RestoreKey(key.Get(), childName, child);
}

}  // namespace

RegistryTreeGuard::RegistryTreeGuard(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
    UniqueHKey key;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
    saved_ = std::make_unique<Node>();
    SaveKey(key.Get(), saved_.get());
}

RegistryTreeGuard::~RegistryTreeGuard() {
    RegDeleteTreeW(root_, path_.c_str());
    RegDeleteKeyW(root_, path_.c_str());
    if (saved_) RestoreKey(root_, path_, *saved_);
}
