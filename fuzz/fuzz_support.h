#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// What the fuzz targets share: a scratch folder of the process (in $TMPDIR; scripts/fuzz puts it
// in memory) into which each input is written as the file the code under test reads.
namespace fuzz_support {

QString ScratchFolder();
// Writes the input to the relative path in the scratch folder (creating its folders) and
// returns the absolute path.
QString WriteInput(const QString& relative, const uint8_t* data, size_t size);

// Ends the run with a message when an expectation the input broke does not hold: libFuzzer
// keeps the input as a crash.
void Check(bool condition, const char* what);

} // namespace fuzz_support
