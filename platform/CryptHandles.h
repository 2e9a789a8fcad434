// The handle kinds of the system's catalog and cryptographic message services, each as a
// UniqueHandle with its own release call. Apart from Handles.h so that only the code that
// reads or writes catalogs takes in the cryptographic headers.
#pragma once

#include <windows.h>
#include <wincrypt.h>
#include <mscat.h>

#include "platform/Handles.h"

namespace handle_traits {

// A catalog administrator context (CryptCATAdminAcquireContext and ...2).
struct CatalogAdmin : NullIsNone<HCATADMIN> {
    static void Close(Handle h) noexcept { ::CryptCATAdminReleaseContext(h, 0); }
};

struct CtlContext : NullIsNone<PCCTL_CONTEXT> {
    static void Close(Handle h) noexcept { ::CertFreeCTLContext(h); }
};

struct CryptMessage : NullIsNone<HCRYPTMSG> {
    static void Close(Handle h) noexcept { ::CryptMsgClose(h); }
};

} // namespace handle_traits

using UniqueCatalogAdmin = UniqueHandle<handle_traits::CatalogAdmin>;
using UniqueCtlContext = UniqueHandle<handle_traits::CtlContext>;
using UniqueCryptMessage = UniqueHandle<handle_traits::CryptMessage>;
