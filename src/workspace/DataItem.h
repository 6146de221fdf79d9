#pragma once

#include <QString>

#include <cstdint>
#include <vector>

struct TDataItem
{
    uint8_t Count;
    QString Id;
    bool Used;
    std::vector<double> Values;
    std::vector<uint16_t> Positions;
    std::vector<uint8_t> Classes;
};
