#include "tests/e2e/RoundTripDrivers.h"

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

    return {fixture::MakePackage(widget, {{L"ROOT\\TARNWICK_RT_WIDGET"}}),
            fixture::MakePackage(port, {{L"ROOT\\TARNWICK_RT_PORT"}})};
}
