// pecheck: checks the shipped 32-bit program without running it, so the
// checks hold on any host. One line per check; exit status 1 if any fails,
// 2 if the files cannot be read.
//
//   pecheck --allow tools/pecheck/xp_imports.txt build/win/app/modemswitch.exe
#include "expected_texts.h"
#include "pe_checks.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

bool ReadFile(const char* path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The texts as the user sees them, from the driver's own copy (UTF-8 here).
pe::ExpectedTexts ProgramTexts() {
    return {expected::kDialogCaption, {expected::kSearching, expected::kWaitText}};
}

int Usage() {
    std::fprintf(stderr, "usage: pecheck --allow <DLL!Function list> <program.exe>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::strcmp(argv[1], "--allow") != 0) return Usage();
    const char* listPath = argv[2];
    const char* exePath = argv[3];

    std::ifstream listFile(listPath);
    pe::AllowList allowed;
    std::string error;
    if (!listFile) {
        std::fprintf(stderr, "pecheck: cannot read the allow-list %s\n", listPath);
        return 2;
    }
    if (!allowed.Parse(listFile, error)) {
        std::fprintf(stderr, "pecheck: %s: %s\n", listPath, error.c_str());
        return 2;
    }
    std::vector<uint8_t> file;
    if (!ReadFile(exePath, file)) {
        std::fprintf(stderr, "pecheck: cannot read %s\n", exePath);
        return 2;
    }
    pe::Image image;
    if (!pe::Read(file, image, error)) {
        std::printf("FAIL  %s is not a readable PE image: %s\n", exePath, error.c_str());
        return 1;
    }

    const std::vector<pe::CheckResult> results =
        pe::CheckProgram(image, file, allowed, ProgramTexts());
    int failed = 0;
    for (const pe::CheckResult& result : results) {
        std::printf("%s  %s: %s\n", result.passed ? "ok  " : "FAIL", result.title.c_str(),
                    result.detail.c_str());
        if (!result.passed) ++failed;
    }
    std::printf("pecheck %s: %zu checks, %d failed\n", exePath, results.size(), failed);
    return failed == 0 ? 0 : 1;
}
