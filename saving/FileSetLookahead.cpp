#include "saving/FileSetLookahead.h"

#include "discovery/DriverFileFinder.h"
#include "platform/Trace.h"

FileSetLookahead::FileSetLookahead(DeviceInfo& device, const SystemFolders& folders, FileSearchIndex* searchIndex,
                                   const std::atomic<bool>& stop, WorkerThread& worker)
    : device_(&device)
    , stop_(stop)
    , worker_(worker)
{
    worker_.Post([this, &folders, searchIndex] { Search(folders, searchIndex); });
}

FileSetLookahead::~FileSetLookahead()
{
    worker_.Wait();
    if (!reported_)
        device_->files.clear();
}

void FileSetLookahead::Search(const SystemFolders& folders, FileSearchIndex* searchIndex)
{
    // Nothing may escape the thread: a search that fails here fails as any other does.
    try {
        DriverFileFinder finder(*device_, *this, folders, searchIndex);
        found_ = finder.Run();
        reason_ = finder.FailureReason();
        return;
    } catch (...) {
        TraceFailure(L"searching a file set ahead");
    }
    found_ = false;
    reason_ = L"The file set could not be worked out.";
    device_->files.clear();
}

bool FileSetLookahead::Progress(double fraction)
{
    events_.push_back({nullptr, fraction});
    return !stop_.load();
}

void FileSetLookahead::OnFile(const DriverFile& file)
{
    events_.push_back({&file, 0.0});
}

bool FileSetLookahead::Report(IFileReporter& reporter)
{
    worker_.Wait();
    reported_ = true;
    for (size_t i = 0; i < events_.size(); ++i) {
        const Event& event = events_[i];
        if (event.file) {
            reporter.OnFile(*event.file);
            continue;
        }
        if (reporter.Progress(event.fraction))
            continue;
        // A whole search ends with its last report; a stop asked there keeps the set, as a
        // stop at the end of a search does. A stop asked earlier leaves no set behind.
        if (!found_ || i + 1 < events_.size())
            device_->files.clear();
        reason_ = kSearchStoppedReason;
        return false;
    }
    return found_;
}
