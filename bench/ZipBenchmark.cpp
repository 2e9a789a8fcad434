// Installs the zip benchmark's set into the prefix it runs in, for bench/zip-benchmark.sh,
// which times the backups and restores: the mixed set's shape (95 devices of five 100 KB
// files, 5 devices of ten 20 MB files), with contents that deflate about as driver files do
// (to a little over half), not runs of one byte that any compressor takes for nothing. The
// packages name no catalog, so that a restore installs them (a stand-in catalog is damaged).
//   bench_zip.exe install
#include <cstdio>
#include <string>

#include "bench/BenchPackages.h"

namespace {

// Bytes of 16 values in a pseudo-random order, with a short run now and then: about four
// bits of information in each, as in program files.
std::string DriverLikeBytes(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        const unsigned value = state >> 16;
        bytes[i] = (value & 0x300) == 0 && i > 0 ? bytes[i - 1] : static_cast<char>(0x40 + (value & 0x0F));
    }
    return bytes;
}

fixture::Package ZipSetPackage(int index, int fileCount, size_t fileBytes)
{
    return PayloadPackage(L"zipset", L"TARNWICK_ZIPSET_", index, fileCount, [index, fileBytes](int k) {
        return DriverLikeBytes(fileBytes, static_cast<unsigned>(index * 100 + k));
    }, true);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2 || std::wstring(argv[1]) != L"install")
        return 2;
    for (int i = 1; i <= 100; ++i) {
        const fixture::InstallResult result =
            fixture::InstallPackage(i <= 95 ? ZipSetPackage(i, 5, 100u * 1000u) : ZipSetPackage(i, 10, 20u * 1000u * 1000u));
        if (!result.ok) {
            std::fwprintf(stderr, L"bench_zip: install %d failed: %ls\n", i, result.error.c_str());
            return 1;
        }
    }
    return 0;
}
