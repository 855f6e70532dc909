#include "tests/updater/stamped_program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

void WriteProgram(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
        | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

void PatchStamp(QByteArray& bytes, const QString& version)
{
    // The record's bytes may also appear in the debugging information; every copy is patched.
    const QByteArray marker("KLDRFVER");
    ASSERT_GE(bytes.indexOf(marker), 0) << "the program carries no stamp";
    const QStringList parts = version.split(u'.');
    ASSERT_EQ(parts.size(), 4) << version.toStdString();
    for (qsizetype at = bytes.indexOf(marker); at >= 0; at = bytes.indexOf(marker, at + 1)) {
        for (int index = 0; index < 4; ++index) {
            const uint16_t part = parts[index].toUShort();
            bytes[at + 8 + 2 * index] = char(part & 0xff); // little-endian, as on x86-64
            bytes[at + 9 + 2 * index] = char(part >> 8);
        }
    }
}

} // namespace

void WriteStampedProgram(const QString& path, const QString& version)
{
    QFile fixture(QStringLiteral(KALEIDRA_VERSION_FIXTURE));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    QByteArray bytes = fixture.readAll();
    PatchStamp(bytes, version);
    WriteProgram(path, bytes);
}

void StampProgram(const QString& path, const QString& version)
{
    QFile program(path);
    ASSERT_TRUE(program.open(QIODevice::ReadWrite)) << path.toStdString();
    QByteArray bytes = program.readAll();
    PatchStamp(bytes, version);
    ASSERT_TRUE(program.seek(0));
    ASSERT_EQ(program.write(bytes), bytes.size());
}

void WriteUnstampedProgram(const QString& path)
{
    WriteProgram(path, "#!/bin/sh\nexit 0\n");
}
