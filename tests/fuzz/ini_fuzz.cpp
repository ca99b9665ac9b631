// Fuzz target for the settings-file reader and editor: no input may crash them, a value just
// written must read back, and an edit must leave every other entry as it was.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "common/ProfileText.h"
#include "platform/Profile.h"

namespace {

struct Name {
    const char* section;
    const char* key;
};

constexpr Name kOtherNames[] = {{"DAVUZ", "LEVEL"}, {"davuz", "Level"}, {"A", "B"},
                                {"", ""},           {"[", "="},         {"DAVUZ", ""}};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "ini_fuzz: %s\n", what);
    std::abort();
}

// One file per fuzzing process, removed when the run ends.
struct ScratchFile {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("kiprun-ini-fuzz-" + std::to_string(getpid()) + ".ini"))
                           .string();
    ~ScratchFile() { std::remove(path.c_str()); }
};

const std::string& scratchFile() {
    static const ScratchFile file;
    return file.path;
}

void checkInMemory(std::string_view text) {
    const platform::ProfileText original(text);
    std::optional<std::string_view> before[std::size(kOtherNames)];
    for (std::size_t i = 0; i < std::size(kOtherNames); ++i) {
        before[i] = original.value(kOtherNames[i].section, kOtherNames[i].key);
    }
    (void)original.value("DAVUZ", "COLOR");

    const std::string edited = original.withValue("DAVUZ", "COLOR", "7");
    const platform::ProfileText after(edited);
    if (after.value("DAVUZ", "COLOR") != std::optional<std::string_view>("7")) {
        fail("the value written does not read back");
    }
    for (std::size_t i = 0; i < std::size(kOtherNames); ++i) {
        if (after.value(kOtherNames[i].section, kOtherNames[i].key) != before[i]) {
            fail("an edit changed another entry");
        }
    }
}

void checkOnDisk(std::string_view text, bool alsoWrite) {
    const std::string& path = scratchFile();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    const std::string value = platform::readProfileString("DAVUZ", "COLOR", path, 511);
    if (value.size() > 510 || value.find('\0') != std::string::npos) fail("read overran");
    if (alsoWrite) {
        if (!platform::writeProfileString("DAVUZ", "COLOR", "7", path)) fail("write failed");
        if (platform::readProfileString("DAVUZ", "COLOR", path, 511) != "7") {
            fail("the value written to the file does not read back");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkInMemory(text);
    // Files cost far more than the parsing they wrap, and a write syncs to disk: a sample of
    // the inputs goes through them, so that the run explores more inputs in its time.
    if (size % 8 == 0) checkOnDisk(text, size % 64 == 0);
    return 0;
}
