// Called by a message loop when its queue is empty.
#pragma once

class CIdleHandler {
public:
    // True when the handler wants to be called again before the next message arrives.
    virtual bool OnIdle() = 0;

protected:
    ~CIdleHandler() = default;
};
