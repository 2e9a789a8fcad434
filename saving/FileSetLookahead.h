// The file set of the next device of a save, worked out on a thread of its own while the
// device before it is still being copied. What the search reports is held back and reported
// later, on the saving thread, in the same order and with the same outcome that a search run
// there would have had; so the log and the progress read exactly as without the lookahead.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "discovery/FileSearchIndex.h"
#include "discovery/SystemFolders.h"
#include "model/DeviceInfo.h"
#include "model/IFileReporter.h"
#include "platform/WorkerThread.h"

class FileSetLookahead : private IFileReporter {
public:
    // Starts the search on worker for a device whose file set is not known yet. searchIndex,
    // when given, is used by this search alone until Report returns. Once stop is set, the
    // search ends at its next report, and its set is not kept.
    FileSetLookahead(DeviceInfo& device, const SystemFolders& folders, FileSearchIndex* searchIndex,
                     const std::atomic<bool>& stop, WorkerThread& worker);
    // A search never reported leaves the device as it found it: without a file set.
    ~FileSetLookahead();
    FileSetLookahead(const FileSetLookahead&) = delete;
    FileSetLookahead& operator=(const FileSetLookahead&) = delete;

    const DeviceInfo& device() const { return *device_; }
    // Waits for the search and gives reporter what it found. Returns what the search itself
    // would have returned with reporter as its receiver, and leaves the device's file set as
    // that search would have: a stop asked before the set was whole drops it.
    bool Report(IFileReporter& reporter);
    // Why the search failed, as the search would have said it (after Report returned false).
    const std::wstring& FailureReason() const { return reason_; }

private:
    void Search(const SystemFolders& folders, FileSearchIndex* searchIndex);
    bool Progress(double fraction) override;
    void OnFile(const DriverFile& file) override;

    // One report of the search: a fraction done, or a file of the set (the set's entries stay
    // where they are while it grows).
    struct Event {
        const DriverFile* file;
        double fraction;
    };

    DeviceInfo* device_;
    const std::atomic<bool>& stop_;
    std::vector<Event> events_;
    bool found_ = false;
    std::wstring reason_;
    bool reported_ = false;
    WorkerThread& worker_;
};
