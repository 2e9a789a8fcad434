// Text read from an open INF, whole however long it is.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

// The fields of the INF lines that the program reads, by the number the setup services give
// them (0 is the key).
// [SourceDisksFiles]  <file name> = <disk id>, <subdirectory>
const DWORD kDiskIdField = 1;
const DWORD kSubdirectoryField = 2;
// [SourceDisksNames]  <disk id> = <description>, <tag file>, <unused>, <path>
const DWORD kDiskPathField = 4;
// [Manufacturer]  <name> = <models section>, <decoration>...; [<models>]  <name> = <install section>, <ID>...
const DWORD kSectionField = 1;

// The sections of that base name that this machine reads, the one decorated for its
// processor first ("SourceDisksFiles.amd64", then "SourceDisksFiles").
std::vector<std::wstring> PlatformSections(const std::wstring& base);

// Field `field` of an INF line (0 is the key); empty text when the line lacks it or it cannot
// be read.
std::wstring ReadInfField(INFCONTEXT& line, DWORD field);
// The text of the line `key` in `section`, without quotes; empty text when there is none.
std::wstring ReadInfLine(HINF inf, const wchar_t* section, const wchar_t* key);

// True when the INF has the section, even an empty one.
bool InfHasSection(HINF inf, const std::wstring& section);

// The catalog the INF's [Version] names for a decoration (".NTamd64", as a driver key's
// InfSectionExt gives it): "CatalogFile<decoration>", else the plain "CatalogFile"; empty
// when it names none.
std::wstring ReadCatalogName(HINF inf, const std::wstring& decoration);
// Every catalog the INF's [Version] names, the plain "CatalogFile" and each decorated one
// ("CatalogFile.NTamd64", ...), each name once, the one ReadCatalogName gives for decoration
// first: an installer may read any of them.
std::vector<std::wstring> ReadCatalogNames(HINF inf, const std::wstring& decoration);
