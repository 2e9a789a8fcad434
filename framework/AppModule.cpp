#include "framework/AppModule.h"

CAppModule& AppModule()
{
    static CAppModule module;
    return module;
}

bool CAppModule::AddMessageLoop(CMessageLoop& loop)
{
    return loops_.emplace(::GetCurrentThreadId(), &loop).second;
}

void CAppModule::RemoveMessageLoop() noexcept
{
    loops_.erase(::GetCurrentThreadId());
}

CMessageLoop* CAppModule::GetMessageLoop() const noexcept
{
    const auto found = loops_.find(::GetCurrentThreadId());
    return found == loops_.end() ? nullptr : found->second;
}
