#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// Data files of the tables' tests.
namespace table_fixtures {

// The encodings a data file may come in, each with a name for the failure messages.
struct DataFileEncoding {
    const char* name;
    QByteArray (*encode)(const QString& text);
};
std::vector<DataFileEncoding> DataFileEncodings();

} // namespace table_fixtures
