#include "tests/e2e/RoundTripDrivers.h"

std::vector<fixture::SimpleDriver> StoreDrivers()
{
    fixture::SimpleDriver flat = fixture::OneModelDriver(L"rtflat", L"Round Trip Flat", L"ROOT\\TARNWICK_RT_FLAT");
    flat.coInstaller = false;

    fixture::SimpleDriver layout =
        fixture::OneModelDriver(L"rtlayout", L"Round Trip Layout", L"ROOT\\TARNWICK_RT_LAYOUT");
    layout.diskPath = L"x64";
    layout.librarySubfolder = L"res";
    layout.coInstaller = false;

    fixture::SimpleDriver fromStore =
        fixture::OneModelDriver(L"rtstore", L"Round Trip Store Runner", L"ROOT\\TARNWICK_RT_STORE");
    fromStore.diskPath = L"x64";
    fromStore.runsFromStore = true;
    fromStore.coInstaller = false;

    fixture::SimpleDriver coInstaller =
        fixture::OneModelDriver(L"rtcoinst", L"Round Trip Co-installer", L"ROOT\\TARNWICK_RT_COINST");
    return {flat, layout, fromStore, coInstaller};
}

std::vector<fixture::Package> RoundTripPackages()
{
    fixture::SimpleDriver widget;
    widget.name = L"rtwidget";
    widget.models = {{L"Round Trip Widget", L"ROOT\\TARNWICK_RT_WIDGET"}};

    fixture::SimpleDriver port;
    port.name = L"rtport";
    port.className = L"TarnwickPort";
    port.classGuid = L"{5C2F0E3B-7A41-4D8E-9B06-2E1F3A4B5C6D}";
    port.classDescription = L"Tarnwick ports";
    port.provider = L"Fabrikam, Inc.";
    port.driverVer = L"11/12/2023,5.6.7.8";
    port.models = {{L"Round Trip Port", L"ROOT\\TARNWICK_RT_PORT"}};

    std::vector<fixture::Package> packages = {fixture::MakePackage(widget, {{L"ROOT\\TARNWICK_RT_WIDGET"}}),
                                              fixture::MakePackage(port, {{L"ROOT\\TARNWICK_RT_PORT"}})};
    for (const fixture::SimpleDriver& driver : StoreDrivers()) {
        packages.push_back(fixture::MakePackage(driver, {{driver.models[0].hardwareId}}));
        packages.back().style = fixture::InstallStyle::DriverStore;
    }
    return packages;
}
