// A discovery receiver that records what a run reports, and can ask it to stop.
#pragma once

#include <string>
#include <vector>

#include "model/IFileReporter.h"

class RecordingReporter : public IFileReporter {
public:
    // stopAtCall: the Progress call (counting from 1) that answers false; 0 never stops.
    explicit RecordingReporter(int stopAtCall = 0) : stopAtCall_(stopAtCall) {}

    bool Progress(double fraction) override
    {
        fractions.push_back(fraction);
        return stopAtCall_ == 0 || static_cast<int>(fractions.size()) < stopAtCall_;
    }
    void OnFile(const DriverFile& file) override { files.push_back(&file); }

    std::vector<std::wstring> Names() const
    {
        std::vector<std::wstring> names;
        for (const DriverFile* file : files)
            names.push_back(file->name);
        return names;
    }

    std::vector<double> fractions;
    std::vector<const DriverFile*> files;

private:
    int stopAtCall_;
};
