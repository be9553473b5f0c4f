#include "cli/BatchConverter.h"

#include "cli/PictureLoading.h"
#include "cli/QtPictureIo.h"
#include "engine/ConversionPipeline.h"
#include "engine/PreviewRenderer.h"
#include "engine/PreviewStore.h"
#include "engine/SourcePictureStore.h"

#include <atomic>
#include <filesystem>
#include <thread>

namespace tarvelo {

namespace {

struct Job {
    const std::vector<std::string>& pictures;
    const ConversionSettings& settings;
    const BatchOptions& options;
    ConsolePrinter& printer;
    std::atomic<std::size_t> next{0};
    std::atomic<int> finished{0};
    std::vector<char> failed;
    std::vector<ConversionSettings> resultSettings;
};

void saveAndDropPreview(PreviewStore& previews, int slot, const std::string& picture,
                        const BatchOptions& options, ConsoleFeedback& feedback) {
    const PreviewSlot& kept = previews.slot(slot);
    const std::string target = options.previewPathIsFolder
                                   ? previewFileFor(*options.previewPath, picture)
                                   : *options.previewPath;
    if (!savePng(kept.resultPixels, PreviewWidth, PreviewHeight, target)) {
        feedback.showMessage(target + " に書き込めません。", "Error", MessageOwner::None,
                             MessageIcon::Warning);
    }
    previews.freePreview(slot);
}

void convertOne(Job& job, std::size_t index, SourcePictureStore& sources, PreviewStore& previews) {
    const std::string& picture = job.pictures[index];
    ConsoleFeedback feedback(job.printer);
    feedback.setPicture(picture);
    ConversionSettings work = job.settings;
    const bool wantPreview = job.options.previewPath.has_value();
    if (wantPreview) {
        work.outputTarget |= OutputToPreview;
    }
    const int source = loadPictureIntoStore(picture, sources, feedback);
    if (source >= 0) {
        ConversionServices services{sources, previews, feedback, {}, {}, job.options.outputFolder};
        const int total = static_cast<int>(job.pictures.size());
        services.progress = [&job, &picture, total](std::int32_t percent) {
            job.printer.showProgress("[" + std::to_string(job.finished.load() + 1) + "/" +
                                     std::to_string(total) + "] " + picture + " " +
                                     std::to_string(percent) + "%");
            return true;
        };
        const int slot = convertPicture(work, source, services);
        if (slot < 0) {
            sources.releaseSource(source);
        } else if (wantPreview) {
            saveAndDropPreview(previews, slot, picture, job.options, feedback);
        } else {
            previews.freePreview(slot);
        }
    }
    work.outputTarget = job.settings.outputTarget;
    job.resultSettings[index] = work;
    job.failed[index] = feedback.problems() > 0 ? 1 : 0;
    ++job.finished;
}

void worker(Job& job) {
    SourcePictureStore sources;
    acceptOtherPictureFormats(sources);
    PreviewStore previews(sources);
    for (std::size_t index = job.next++; index < job.pictures.size(); index = job.next++) {
        convertOne(job, index, sources, previews);
    }
}

} // namespace

std::string previewFileFor(const std::string& folder, const std::string& picture) {
    return (std::filesystem::path(folder) / std::filesystem::path(picture).stem()).string() +
           ".png";
}

BatchResult convertPictures(const std::vector<std::string>& pictures,
                            const ConversionSettings& settings, const BatchOptions& options,
                            ConsolePrinter& printer) {
    Job job{pictures, settings, options, printer, {}, {}, {}, {}};
    job.failed.assign(pictures.size(), 0);
    job.resultSettings.assign(pictures.size(), settings);
    const std::size_t jobs =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(options.jobs, 1)), pictures.size());
    if (jobs <= 1) {
        worker(job);
    } else {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < jobs; ++i) {
            threads.emplace_back([&job] { worker(job); });
        }
    }
    printer.clearProgress();
    BatchResult result;
    for (char failed : job.failed) {
        result.failedPictures += failed;
    }
    result.finalSettings = pictures.empty() ? settings : job.resultSettings.back();
    return result;
}

} // namespace tarvelo
