// Receiver of the progress of a long task (scan, discovery, save).
#pragma once

class IProgressReporter {
public:
    // fraction: the part of the whole task done so far, 0 to 1. Returning false asks the task
    // to stop; a task that cannot be stopped ignores the answer.
    virtual bool Progress(double fraction) = 0;

protected:
    ~IProgressReporter() = default;
};
