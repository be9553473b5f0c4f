#pragma once

#include "engine/ConversionPipeline.h"
#include "engine/PreviewStore.h"
#include "engine/SourcePictureStore.h"
#include "script/ScriptInterpreter.h"
#include "script/ShiftJis.h"
#include "support/RecordingFeedback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvelo::testing {

/// Records what a run asked of its host; the settings dialog either cancels or applies `edit`.
class RecordingScriptHost : public ScriptHost {
public:
    struct DialogCall {
        ConversionSettings shown;
        std::string caption;
    };
    std::vector<DialogCall> dialogs;
    /// Progress box events: "open <text>" and "close".
    std::vector<std::string> progressEvents;
    bool acceptDialog = false;
    std::function<void(ConversionSettings&)> edit;

    bool editSettings(ConversionSettings& workingCopy, std::string_view caption) override {
        dialogs.push_back({workingCopy, std::string(caption)});
        if (edit) {
            edit(workingCopy);
        }
        return acceptDialog;
    }
    void openProgressBox(std::string_view text) override {
        progressEvents.push_back("open " + std::string(text));
    }
    void closeProgressBox() override { progressEvents.push_back("close"); }
};

/// The stores, the feedback and the host of script runs, with the script written in UTF-8 and
/// handed to the interpreter as CP932.
class ScriptRunFixture : public ::testing::Test {
protected:
    RecordingFeedback feedback;
    SourcePictureStore sources;
    PreviewStore previews{sources};
    ConversionServices services{sources, previews, feedback, {}, {}, {}};
    RecordingScriptHost host;
    ConversionSettings current;

    static std::string cp932(std::string_view utf8) {
        std::optional<std::string> converted = utf8ToCp932(utf8);
        EXPECT_TRUE(converted.has_value()) << utf8;
        return converted.value_or(std::string{});
    }

    ScriptRunResult run(std::string_view utf8Script, std::string_view utf8Source = {}) {
        return runScript(cp932(utf8Script), cp932(utf8Source), current, services, host);
    }
    ScriptRunResult runBytes(std::string_view cp932Script, std::string_view cp932Source = {}) {
        return runScript(cp932Script, cp932Source, current, services, host);
    }
};

} // namespace tarvelo::testing
