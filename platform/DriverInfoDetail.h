// The detail record of one driver of a device's driver list, read whole: the hardware and
// compatible ID lists that follow its fixed part included.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <vector>

// Reads the record into `buffer`, sized as the setup services ask, and returns it there; null
// when it cannot be read.
const SP_DRVINFO_DETAIL_DATA_W* ReadDriverInfoDetail(HDEVINFO set, SP_DEVINFO_DATA& element,
                                                     SP_DRVINFO_DATA_W& driver, std::vector<BYTE>& buffer);
