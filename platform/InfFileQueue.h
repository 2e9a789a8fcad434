// The files that an INF's install sections copy, worked out as the setup services copy them:
// each section and its ".CoInstallers" section queued into one file queue, and the queue
// scanned for every file's source and target. The one queue builder of the backup's file set
// (discovery) and of a restore's sources (backup).
//
// Before a section is queued, each of its copy entries must fit what the setup services take:
// they leave a longer entry out of the queue (Wine even without saying so), and a set without
// it would look whole.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <functional>
#include <string>

#include "platform/Handles.h"

// Why a section was not queued.
enum class QueueRefusal {
    None,
    NoQueue,         // no file queue could be opened (Error() says why)
    NoSection,       // the INF has no such section
    EntryTooLong,    // a file entry of the section is longer than the setup services take
    SectionRefused,  // the setup services refused the section (Error() says why)
};

// How a scan of the queue ended.
enum class QueueScan {
    Finished,
    Stopped,  // the visitor asked to stop
    Failed,   // the visitor failed (its exception traced) or the setup services did
};

class InfFileQueue {
public:
    // A queue for the files of the open INF, which must outlive it.
    explicit InfFileQueue(HINF inf);
    InfFileQueue(const InfFileQueue&) = delete;
    InfFileQueue& operator=(const InfFileQueue&) = delete;

    // Queues the section (as named) and, when the INF has one, its ".CoInstallers" section,
    // the sources under sourceRoot (empty: where the INF lies). False when either was not
    // queued: Refusal(), RefusedSection() and Error() say why.
    bool Add(const std::wstring& section, const std::wstring& sourceRoot = std::wstring());

    QueueRefusal Refusal() const { return refusal; }
    const std::wstring& RefusedSection() const { return refusedSection; }
    DWORD Error() const { return error; }

    // How many copies the queue holds.
    int Count() const;
    // Hands each queued copy's source and target to visit, in the queue's order, until it
    // returns false. Nothing visit throws reaches the setup services' loop.
    QueueScan Scan(const std::function<bool(const FILEPATHS_W&)>& visit) const;

private:
    bool Refuse(QueueRefusal why, const std::wstring& section, DWORD code);
    bool EntriesFit(const std::wstring& section) const;
    bool FileEntriesFit(const std::wstring& copySection) const;

    HINF inf;
    UniqueFileQueue queue;
    QueueRefusal refusal = QueueRefusal::None;
    std::wstring refusedSection;
    DWORD error = NO_ERROR;
};
