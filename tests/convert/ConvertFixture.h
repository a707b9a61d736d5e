#pragma once

#include "convert/AliasTables.h"
#include "convert/CrosspointTable.h"
#include "convert/DescriptionTable.h"
#include "store/SetupRecord.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

namespace qdv::test {

// A setup whose backup data path is `path`.
SetupRecord SetupAt(const QString& path);

// A small plant that the golden files of tests/data/convert were made from.

// Text of a ZEBU_STD.DAU with type names, a few source and destination entries in both numbering
// forms, and the numbering flag clear.
QByteArray FixtureStdText();
// Descriptions and aliases of some of those terminals, including a 16-byte text (no NUL), a text with
// bytes after its NUL, and single-byte katakana.
void FillFixtureNames(DescriptionTable* descriptions, AliasTables* aliases);
CrosspointTable FixtureCrosspoints();

// Compares `actual` with the golden file tests/data/convert/<name>; on a mismatch the actual bytes are
// written to <name>.actual in the working folder so the difference can be inspected.
::testing::AssertionResult MatchesGolden(const QString& name, const QByteArray& actual);

} // namespace qdv::test
