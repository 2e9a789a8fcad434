#include "platform/InfFileQueue.h"

#include "platform/InfText.h"
#include "platform/Trace.h"

namespace {

struct ScanContext {
    const std::function<bool(const FILEPATHS_W&)>* visit = nullptr;
    int count = 0;
    bool stopped = false;
    bool failed = false;
};

UINT CALLBACK ScanCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) noexcept
{
    auto* scan = static_cast<ScanContext*>(context);
    if (notification == SPFILENOTIFY_QUEUESCAN) {
        ++scan->count;
        return NO_ERROR;
    }
    if (notification != SPFILENOTIFY_QUEUESCAN_EX || !param1)
        return NO_ERROR;
    // Nothing may escape into the setup services' scan loop: a failure here (running out of
    // memory, or a visitor that throws) stops the scan.
    try {
        if ((*scan->visit)(*reinterpret_cast<const FILEPATHS_W*>(param1)))
            return NO_ERROR;
        scan->stopped = true;
    } catch (...) {
        TraceFailure(L"scanning the file queue");
        scan->failed = true;
    }
    return ERROR_CANCELLED;
}

} // namespace

InfFileQueue::InfFileQueue(HINF inf) : inf(inf), queue(::SetupOpenFileQueue())
{
    if (!queue)
        Refuse(QueueRefusal::NoQueue, std::wstring(), ::GetLastError());
}

bool InfFileQueue::Refuse(QueueRefusal why, const std::wstring& section, DWORD code)
{
    refusal = why;
    refusedSection = section;
    error = code;
    return false;
}

bool InfFileQueue::Add(const std::wstring& section, const std::wstring& sourceRoot)
{
    if (!queue)
        return false;
    if (!InfHasSection(inf, section))
        return Refuse(QueueRefusal::NoSection, section, NO_ERROR);
    // A driver without co-installers has no such section, which is no error.
    const std::wstring coInstallers = section + L".CoInstallers";
    for (const std::wstring& queued : {section, coInstallers}) {
        if (queued == coInstallers && !InfHasSection(inf, queued))
            continue;
        if (!EntriesFit(queued))
            return Refuse(QueueRefusal::EntryTooLong, queued, NO_ERROR);
        if (!::SetupInstallFilesFromInfSectionW(inf, nullptr, queue.get(), queued.c_str(),
                                                sourceRoot.empty() ? nullptr : sourceRoot.c_str(), 0))
            return Refuse(QueueRefusal::SectionRefused, queued, ::GetLastError());
    }
    return true;
}

bool InfFileQueue::EntriesFit(const std::wstring& section) const
{
    INFCONTEXT line;
    for (BOOL found = ::SetupFindFirstLineW(inf, section.c_str(), L"CopyFiles", &line); found;
         found = ::SetupFindNextMatchLineW(&line, L"CopyFiles", &line)) {
        for (DWORD field = 1; field <= ::SetupGetFieldCount(&line); ++field) {
            const std::wstring copy = ReadInfField(line, field);
            // "@name" copies one file; any other field names a section of files.
            if (!copy.empty() && copy[0] == L'@' ? copy.size() >= MAX_PATH : !FileEntriesFit(copy))
                return false;
        }
    }
    return true;
}

bool InfFileQueue::FileEntriesFit(const std::wstring& copySection) const
{
    INFCONTEXT line;
    for (BOOL found = ::SetupFindFirstLineW(inf, copySection.c_str(), nullptr, &line); found;
         found = ::SetupFindNextLine(&line, &line)) {
        // The destination and the source name, read by the setup services into MAX_PATH buffers.
        for (DWORD field = 1; field <= 2; ++field) {
            DWORD required = 0;
            if (::SetupGetStringFieldW(&line, field, nullptr, 0, &required) && required > MAX_PATH)
                return false;
        }
    }
    return true;
}

int InfFileQueue::Count() const
{
    ScanContext context;
    DWORD result = 0;
    if (queue)
        ::SetupScanFileQueueW(queue.get(), SPQ_SCAN_USE_CALLBACK, nullptr, ScanCallback, &context, &result);
    return context.count;
}

QueueScan InfFileQueue::Scan(const std::function<bool(const FILEPATHS_W&)>& visit) const
{
    ScanContext context;
    context.visit = &visit;
    DWORD result = 0;
    const bool scanned = queue && ::SetupScanFileQueueW(queue.get(), SPQ_SCAN_USE_CALLBACKEX, nullptr, ScanCallback,
                                                        &context, &result);
    if (context.failed)
        return QueueScan::Failed;
    if (context.stopped)
        return QueueScan::Stopped;
    return scanned ? QueueScan::Finished : QueueScan::Failed;
}
