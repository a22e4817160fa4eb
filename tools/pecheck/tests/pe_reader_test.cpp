// The reader and the checks on images built in memory: a well-formed program
// passes every check, and each planted fault fails exactly its own check.
#include "pe_checks.h"
#include "synthetic_pe.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <functional>
#include <sstream>

namespace {

const char kCaption[] = "Переключатель, версия 1";
const char16_t kCaptionUtf16[] = u"Переключатель, версия 1";
const char kText[] = "Поиск модема.\r\n";

std::string Cp1251(const std::string& utf8) {
    iconv_t converter = iconv_open("CP1251", "UTF-8");
    std::string in = utf8, out(utf8.size(), '\0');
    char* inAt = in.data();
    char* outAt = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    EXPECT_NE(iconv(converter, &inAt, &inLeft, &outAt, &outLeft), static_cast<size_t>(-1));
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

pe::AllowList Allowed() {
    std::istringstream list(
        "# comment line\n"
        "KERNEL32.dll!CreateFileA\n"
        "kernel32.DLL!GetTickCount   # the DLL's case does not matter\n"
        "\n"
        "USER32.dll!@12\n"
        "USER32.dll!DialogBoxParamA\n");
    pe::AllowList allowed;
    std::string error;
    EXPECT_TRUE(allowed.Parse(list, error)) << error;
    return allowed;
}

// What a resource compiler and linker make of a small dialog program; the
// text sits in the data as Windows-1251 bytes.
SyntheticPe GoodProgram() {
    SyntheticPe pe;
    pe.imports = {{"KERNEL32.dll", {"CreateFileA", "GetTickCount"}},
                  {"USER32.dll", {"DialogBoxParamA", "@12"}}};
    const std::string text = Cp1251(kText);
    pe.rawData.assign(text.begin(), text.end());
    pe.resources = {{5, 102, DialogTemplateEx(kCaptionUtf16)},
                    {2, 130, std::vector<uint8_t>(64, 0x55)},
                    {3, 1, std::vector<uint8_t>(40, 0)},
                    {3, 2, std::vector<uint8_t>(40, 0)},
                    {14, 128, GroupIcon({1, 2})},
                    {16, 1, VersionInfo()}};
    return pe;
}

std::vector<pe::CheckResult> RunChecks(const SyntheticPe& program) {
    const std::vector<uint8_t> file = program.Build();
    pe::Image image;
    std::string error;
    EXPECT_TRUE(pe::Read(file, image, error)) << error;
    return pe::CheckProgram(image, file, Allowed(), {kCaption, {kText}});
}

std::string Failures(const std::vector<pe::CheckResult>& results) {
    std::string failures;
    for (const pe::CheckResult& result : results)
        if (!result.passed) failures += result.title + ": " + result.detail + "\n";
    return failures;
}

TEST(PeReader, ReadsHeadersImportsAndResources) {
    const std::vector<uint8_t> file = GoodProgram().Build();
    pe::Image image;
    std::string error;
    ASSERT_TRUE(pe::Read(file, image, error)) << error;
    EXPECT_EQ(image.machine, pe::kMachineI386);
    EXPECT_EQ(image.magic, pe::kMagicPe32);
    EXPECT_EQ(image.subsystem, pe::kSubsystemGui);
    EXPECT_EQ(image.subsystemMajor, 5);
    EXPECT_EQ(image.subsystemMinor, 1);
    ASSERT_EQ(image.sections.size(), 1u);
    EXPECT_EQ(image.sections[0].name, ".rdata");
    ASSERT_EQ(image.imports.size(), 2u);
    EXPECT_EQ(image.imports[0].name, "KERNEL32.dll");
    EXPECT_EQ(image.imports[0].functions,
              (std::vector<std::string>{"CreateFileA", "GetTickCount"}));
    EXPECT_EQ(image.imports[1].functions, (std::vector<std::string>{"DialogBoxParamA", "@12"}));
    ASSERT_EQ(image.resources.size(), 6u);
    EXPECT_EQ(image.resources[0].type, pe::kResourceDialog);
    EXPECT_EQ(image.resources[0].id, 102u);
    EXPECT_EQ(image.resources[0].language, 0x419u);
    EXPECT_EQ(image.resources[1].size, 64u);
    EXPECT_EQ(file[image.resources[1].fileOffset], 0x55);
    std::u16string caption;
    ASSERT_TRUE(pe::DialogCaption(file, image.resources[0], caption));
    EXPECT_EQ(caption, kCaptionUtf16);
}

TEST(PeReader, WellFormedProgramPassesEveryCheck) {
    const std::vector<pe::CheckResult> results = RunChecks(GoodProgram());
    EXPECT_EQ(results.size(), 12u);
    EXPECT_EQ(Failures(results), "");
}

// Each fault is planted in an otherwise good program; only its check fails.
TEST(PeReader, EachPlantedFaultFailsItsOwnCheck) {
    struct Fault {
        std::string failingCheck;
        std::function<void(SyntheticPe&)> plant;
        std::string alsoFailing = "";  // a check that depends on the first
    };
    const Fault faults[] = {
        {"PE32 for i386", [](SyntheticPe& pe) { pe.machine = 0x8664; }},
        {"PE32 for i386", [](SyntheticPe& pe) { pe.magic = 0x20b; }},
        {"GUI subsystem", [](SyntheticPe& pe) { pe.subsystem = 3; }},
        {"subsystem version 4.0 or 5.1 (Windows XP loads it)",
         [](SyntheticPe& pe) { pe.subsystemMajor = 6, pe.subsystemMinor = 0; }},
        {"subsystem version 4.0 or 5.1 (Windows XP loads it)",
         [](SyntheticPe& pe) { pe.subsystemMinor = 2; }},
        {"NX-compatible and dynamic base", [](SyntheticPe& pe) { pe.dllCharacteristics = 0x40; }},
        {"NX-compatible and dynamic base", [](SyntheticPe& pe) { pe.dllCharacteristics = 0x100; }},
        {"every imported function on the allow-list",
         [](SyntheticPe& pe) { pe.imports[0].second.push_back("GetTickCount64"); }},
        {"every imported function on the allow-list",
         [](SyntheticPe& pe) { pe.imports[1].second.push_back("@13"); }},
        {"imports only the system DLLs of the allow-list",
         [](SyntheticPe& pe) {
             pe.imports.push_back({"libwinpthread-1.dll", {}});
         }},
        {"dialog template", [](SyntheticPe& pe) { pe.resources[0].type = 6; },
         "dialog caption (UTF-16 in the dialog template)"},
        {"bitmap", [](SyntheticPe& pe) { pe.resources.erase(pe.resources.begin() + 1); }},
        {"icon (group icon and its images)",
         [](SyntheticPe& pe) {
             pe.resources[4].data = GroupIcon({1, 3});
         }},
        {"icon (group icon and its images)", [](SyntheticPe& pe) { pe.resources[4].type = 99; }},
        {"version block", [](SyntheticPe& pe) { pe.resources[5].data[40] ^= 1; }},
        {"dialog caption (UTF-16 in the dialog template)",
         [](SyntheticPe& pe) {
             pe.resources[0].data = DialogTemplateEx(u"Переключатель, версия 2");
         }},
        {"program texts as Windows-1251 bytes", [](SyntheticPe& pe) { pe.rawData[0] ^= 1; }},
    };
    for (const Fault& fault : faults) {
        SyntheticPe program = GoodProgram();
        fault.plant(program);
        const std::vector<pe::CheckResult> results = RunChecks(program);
        for (const pe::CheckResult& result : results) {
            const bool planted =
                result.title == fault.failingCheck || result.title == fault.alsoFailing;
            EXPECT_EQ(result.passed, !planted)
                << "planted for \"" << fault.failingCheck << "\", check \"" << result.title
                << "\": " << result.detail;
        }
    }
}

TEST(PeReader, CaptionWithoutWindows1251FormFails) {
    SyntheticPe program = GoodProgram();
    program.resources[0].data = DialogTemplateEx(u"Переключатель ✓");
    const std::vector<uint8_t> file = program.Build();
    pe::Image image;
    std::string error;
    ASSERT_TRUE(pe::Read(file, image, error)) << error;
    const auto results = pe::CheckProgram(image, file, Allowed(), {"Переключатель ✓", {kText}});
    EXPECT_EQ(Failures(results),
              "dialog caption (UTF-16 in the dialog template): \"Переключатель ✓\" has no "
              "Windows-1251 form\n");
}

// The file ends with the last resource's data: every shorter copy lacks
// part of what the headers point at and must be refused, not read past.
TEST(PeReader, RefusesEveryTruncatedCopy) {
    const std::vector<uint8_t> file = GoodProgram().Build();
    for (size_t length = 0; length < file.size(); ++length) {
        const std::vector<uint8_t> cut(file.begin(), file.begin() + length);
        pe::Image image;
        std::string error;
        EXPECT_FALSE(pe::Read(cut, image, error)) << "read " << length << " of " << file.size();
        EXPECT_FALSE(error.empty());
    }
}

TEST(PeReader, RefusesResourceTreeThatPointsBackAtItsRoot) {
    std::vector<uint8_t> file = GoodProgram().Build();
    pe::Image image;
    std::string error;
    ASSERT_TRUE(pe::Read(file, image, error));
    // The first name directory's entry is made to point at the root again.
    const uint32_t root =
        image.sections[0].rawOffset + (file[0x58 + 96 + 16] | file[0x58 + 96 + 17] << 8) - 0x1000;
    const uint32_t nameDir = root + (file[root + 20] | file[root + 21] << 8);
    file[nameDir + 20] = 0;
    file[nameDir + 21] = 0;
    EXPECT_FALSE(pe::Read(file, image, error));
    EXPECT_EQ(error, "resource tree too deep");
}

TEST(AllowList, RefusesLinesThatAreNotEntries) {
    for (const char* line : {"KERNEL32.dll", "!CreateFileA", "KERNEL32.dll!", "A.dll!B C"}) {
        std::istringstream list(std::string("USER32.dll!MessageBoxA\n") + line + "\n");
        pe::AllowList allowed;
        std::string error;
        EXPECT_FALSE(allowed.Parse(list, error)) << line;
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
    }
    const pe::AllowList allowed = Allowed();
    EXPECT_TRUE(allowed.Has("Kernel32.DLL", "GetTickCount"));
    EXPECT_FALSE(allowed.Has("KERNEL32.dll", "gettickcount"));
    EXPECT_FALSE(allowed.HasDll("GDI32.dll"));
    EXPECT_EQ(allowed.size(), 4u);
}

}  // namespace
