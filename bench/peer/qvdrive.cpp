// Calls one archiver library's command entry point through the real loader with the exact
// command line the control would build, so the peer benchmark can time our libraries before
// the CLI exists. Usage: qvdrive LIBRARY ENTRY COMMAND-LINE   (e.g. zip32j Zip '-r "a.zip" "base/" *.*')
#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <vector>

#include "quorvex6/archiver_api.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: qvdrive LIBRARY ENTRY COMMAND-LINE\n");
        return 2;
    }
    std::string file = std::string("lib") + argv[1] + ".so";
    void* lib = dlopen(file.c_str(), RTLD_NOW);
    if (lib == nullptr) {
        std::fprintf(stderr, "qvdrive: %s\n", dlerror());
        return 2;
    }
    auto command = reinterpret_cast<QvCommandFn>(dlsym(lib, argv[2]));
    if (command == nullptr) {
        std::fprintf(stderr, "qvdrive: no entry point %s\n", argv[2]);
        return 2;
    }
    std::vector<char> output(20800, '\0');
    int32_t code = command(0, argv[3], output.data(), static_cast<uint32_t>(output.size()));
    if (getenv("QVDRIVE_LOG")) std::fputs(output.data(), stdout);
    if (code != 0) std::fprintf(stderr, "qvdrive: result 0x%04X\n", static_cast<unsigned>(code));
    return code == 0 ? 0 : 1;
}
