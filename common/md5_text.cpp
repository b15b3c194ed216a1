// Md5Text and FileMd5Text over advapi32's MD5 functions, looked up by name (once) so that the setup
// program does not depend on their export at load time. advapi32 itself is imported by the
// program (the registry), so it is already loaded from the System directory: it is only found, never
// loaded by name.
#include "common/md5_text.h"

#include <windows.h>

#include <cstring>

#include "common/digest_text.h"
#include "common/file_io.h"
#include "common/handles.h"

namespace {

// The context the advapi32 functions fill: the digest is its last 16 bytes.
struct Md5Context {
    ULONG count[2];
    ULONG state[4];
    unsigned char input[64];
    unsigned char digest[16];
};

using Md5InitFn = void(WINAPI*)(Md5Context*);
using Md5UpdateFn = void(WINAPI*)(Md5Context*, const unsigned char*, unsigned int);
using Md5FinalFn = void(WINAPI*)(Md5Context*);

template <typename Fn>
Fn LoadFunction(HMODULE library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// MD5Update takes a 32-bit length; larger blocks go in pieces.
constexpr std::size_t kUpdatePiece = 0x40000000;

}  // namespace

void Md5Text(const void* data, std::size_t length, char* text) {
    std::memset(text, 0, kDigestTextSize);
    // advapi32 stays loaded for the process's life: the functions are looked up once.
    static const HMODULE advapi = GetModuleHandleA("advapi32.dll");
    static const auto init = advapi ? LoadFunction<Md5InitFn>(advapi, "MD5Init") : nullptr;
    static const auto update = advapi ? LoadFunction<Md5UpdateFn>(advapi, "MD5Update") : nullptr;
    static const auto final = advapi ? LoadFunction<Md5FinalFn>(advapi, "MD5Final") : nullptr;
    if (init == nullptr || update == nullptr || final == nullptr) return;

    Md5Context context = {};
    init(&context);
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    while (length > 0) {
        std::size_t piece = length < kUpdatePiece ? length : kUpdatePiece;
        update(&context, bytes, static_cast<unsigned int>(piece));
        bytes += piece;
        length -= piece;
    }
    final(&context);
    FormatDigestText(context.digest, text);
}

std::size_t FileMd5Text(const char* path, char* text) {
    std::memset(text, 0, kDigestTextSize);
    LockedGlobalMemory block;
    std::size_t read = 0;
    if (!ReadWholeFile(path, &block, &read)) return 0;
    Md5Text(block.Data(), read, text);
    return read;
}
