// Runs one libunlha32 command line in a process of its own, for tests that change how that
// process reads files: prints the result code on the first line, then the library's log.
#include <cstdio>
#include <vector>

#include "platform/loader.h"
#include "quorvex6/archiver_api.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: unlha_command \"COMMAND LINE\"\n");
        return 2;
    }
    auto lib = quorvex6::platform::DynamicLibrary::Open("unlha32");
    auto command = reinterpret_cast<QvCommandFn>(lib->Find("Unlha"));
    std::vector<char> log(1 << 16, '\0');
    const int32_t code = command(0, argv[1], log.data(), static_cast<uint32_t>(log.size()));
    std::printf("%d\n%s", code, log.data());
    return 0;
}
