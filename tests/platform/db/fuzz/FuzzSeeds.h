#pragma once
// The seed inputs of a fuzz target, defined beside each target.

#include <QByteArray>

#include <vector>

std::vector<QByteArray> FuzzSeeds();
