#include "ui/CVerifyDlg.h"

namespace {

const PackageListKind kKind = {{IDD_VERIFY, IDC_VERIFY_SOURCE, IDC_VERIFY_LIST, IDC_VERIFY_STATUS},
                               VerifyColumns(),
                               VerifyMarkOf};

} // namespace

CVerifyDlg::CVerifyDlg(const FolderPath& folder, const ShellServices& services)
    : CPackageListDlg(kKind, folder, 0, IDS_VERIFY_FAILED)
    , verifier(*this, services.shell, services.systemFolders)
{
}

void CVerifyDlg::Work(const FolderPath& folder)
{
    verifier.VerifyAll(folder, nullptr);
}

void CVerifyDlg::OnListed()
{
    // A zip that was refused lists nothing: the line under the list says why.
    const std::wstring& refusal = verifier.ZipRefusalLine();
    SetStatus(refusal.empty() ? DamageSummaryText(verifier.Packages()) : refusal);
}
