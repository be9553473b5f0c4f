// Any text as a script, run with recording fakes in a scratch folder.
#include "engine/PreviewStore.h"
#include "engine/SourcePictureStore.h"
#include "script/ScriptInterpreter.h"
#include "FuzzFeedback.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

class FakeHost : public tarvelo::ScriptHost {
public:
    bool editSettings(tarvelo::ConversionSettings&, std::string_view) override { return false; }
    void openProgressBox(std::string_view) override {}
    void closeProgressBox() override {}
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Scripts may name files; keep whatever they do inside an empty folder of their own.
    const auto folder = std::filesystem::temp_directory_path() /
                        ("tarvelo-fuzz-script-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvelo;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    SourcePictureStore sources;
    PreviewStore previews(sources);
    fuzzing::SilentFeedback feedback;
    FakeHost host;
    ConversionServices services{sources, previews, feedback, {}, {}, {}};
    const ConversionSettings current;
    const ScriptRunResult result = runScript(text, "", current, services, host);
    if (result.stopPosition > size) {
        __builtin_trap();
    }
    previews.freeAllPreviews();
    return 0;
}
