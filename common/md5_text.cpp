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
constexpr DWORD kFileChunk = 65536;

// The three functions, looked up once: advapi32 stays loaded for the process's life.
struct Md5Functions {
    Md5InitFn init;
    Md5UpdateFn update;
    Md5FinalFn final;
};

const Md5Functions* Functions() {
    static const Md5Functions functions = [] {
        HMODULE advapi = GetModuleHandleA("advapi32.dll");
        if (advapi == nullptr) return Md5Functions{};
        return Md5Functions{LoadFunction<Md5InitFn>(advapi, "MD5Init"), LoadFunction<Md5UpdateFn>(advapi, "MD5Update"),
                            LoadFunction<Md5FinalFn>(advapi, "MD5Final")};
    }();
    return functions.init && functions.update && functions.final ? &functions : nullptr;
}

void Update(const Md5Functions* md5, Md5Context* context, const unsigned char* bytes, std::size_t length) {
    while (length > 0) {
        std::size_t piece = length < kUpdatePiece ? length : kUpdatePiece;
        md5->update(context, bytes, static_cast<unsigned int>(piece));
        bytes += piece;
        length -= piece;
    }
}

}  // namespace

void Md5Text(const void* data, std::size_t length, char* text) {
    std::memset(text, 0, kDigestTextSize);
    const Md5Functions* md5 = Functions();
    if (md5 == nullptr) return;
    Md5Context context = {};
    md5->init(&context);
    Update(md5, &context, static_cast<const unsigned char*>(data), length);
    md5->final(&context);
    FormatDigestText(context.digest, text);
}

std::size_t FileMd5Text(const char* path, char* text) {
    std::memset(text, 0, kDigestTextSize);
    const Md5Functions* md5 = Functions();
    UniqueHandle file = OpenPlainFile(path);
    if (md5 == nullptr || !file) return 0;
    // Read piece by piece through one buffer: a whole large file would cost a block of its size.
    Md5Context context = {};
    md5->init(&context);
    unsigned char chunk[kFileChunk];
    std::size_t total = 0;
    for (DWORD read = 0;; total += read) {
        if (!ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr)) return 0;
        if (read == 0) break;
        Update(md5, &context, chunk, read);
    }
    md5->final(&context);
    FormatDigestText(context.digest, text);
    return total;
}
