#pragma once

#include <QString>

class QFile;

// What stands in the way of reading or replacing a data file.
enum class FileProblem {
    None,
    Missing,    // nothing at the path
    NotRegular, // a pipe, a device, a directory, a socket, a dangling or looping link
    Unopenable, // there, but it cannot be opened: permission, in use, ...
};

struct FileCheck {
    FileProblem problem = FileProblem::None;
    QString reason; // the system's words, for the user; empty when there is no problem
};

// Opens `file` (its file name set) for reading only when its path, symbolic
// links followed, is a regular file. Never blocks: a named pipe without a
// writer is refused, not waited for.
FileCheck openRegularFile(QFile &file);

// Whether `path` may be replaced by a new file: it is absent, or a regular
// file (symbolic links followed).
FileCheck checkReplaceable(const QString &path);
