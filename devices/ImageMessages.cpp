#include "devices/ImageMessages.h"

std::wstring ImageProblemText(const WindowsImage& image, ImageProblem problem)
{
    const std::wstring root = image.Root().WithSeparator();
    switch (problem) {
    case ImageProblem::None:
        return std::wstring();
    case ImageProblem::NotWindowsFolder:
        return root + L" holds no Windows installation (it has no Windows folder).\n";
    case ImageProblem::HiveMissing:
        return L"The Windows in " + root + L" has no registry: " + image.HiveFile() + L" is missing.\n";
    case ImageProblem::NotAdministrator:
        return L"Reading the registry of another Windows needs administrator rights.\n"
               L"Run Tarnwick as administrator.\n";
    case ImageProblem::HiveUnreadable:
        break;
    }
    if (image.LoadError() == ERROR_SUCCESS)
        return L"The registry of the Windows in " + root + L" is damaged: it names no control set to start.\n";
    return L"The registry of the Windows in " + root + L" cannot be read (error " +
           std::to_wstring(image.LoadError()) + L"): it is in use, as the running Windows' own is, or damaged.\n";
}

std::wstring ArchitectureNote(const WindowsImage& image)
{
    const std::wstring& architecture = image.Architecture();
    if (architecture.empty() || architecture == ProgramArchitecture())
        return std::wstring();
    return L"NOTE: The Windows in " + image.Root().WithSeparator() + L" is for " + architecture + L" processors, this Tarnwick for " +
           ProgramArchitecture() + L". Its drivers are saved all the same.\n";
}
