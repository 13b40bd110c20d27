#pragma once

// Names from the command line are bytes, and no encoding may change them: each
// byte is carried as the one QString character of the same value (Latin-1),
// so that folder joining and suffix checks work on them, and goes back to the
// file system unchanged.

#include <string>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Convert {

// The command line, each argument's bytes kept.
QStringList ArgumentNames(int argc, char* argv[]);

// The name's bytes, as the file system and the engine take them.
QByteArray NameBytes(const QString& name);
std::string EnginePath(const QString& name);

// The name as messages show it: as it is when it is UTF-8, with every other
// byte escaped as \xHH, never as a different name.
QString ShownName(const QString& name);
// The same for any text that may quote a name's bytes.
QByteArray ShownBytes(const QByteArray& text);

}  // namespace Convert
