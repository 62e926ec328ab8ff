// Outputs that are not regular files. A report, label or mail-merge output named by the user may
// be a character device, a FIFO or a socket (a terminal, a pipe a program reads, a printer
// spooler's socket); such a file belongs to the system or to another program, and the output is
// written into it as a shell's redirection writes into it, never replaced by a new file the way
// a regular output is. A block device is refused: text written onto a disk would destroy what the
// disk holds.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace reports {

// True when fileName names an existing file, links followed, that is neither a regular file nor
// a directory.
bool IsDeviceOutput(const QString& fileName);

// Writes all of bytes to the descriptor straight, past any buffer: a buffered write can report
// success, fail only when the buffer goes out and lose the system's reason on the way. The
// system's reason when it fails, else nothing.
std::optional<QString> WriteAll(int descriptor, const QByteArray& bytes);

// The bytes of an output in pieces, so that a long one is never held whole: each call fills chunk
// with the next piece and says true, or says false when there is none left.
using ChunkSource = std::function<bool(QByteArray& chunk)>;

// WriteAll of every chunk the source gives, in order.
std::optional<QString> WriteAllChunks(int descriptor, const ChunkSource& source);

// Writes all of the source's bytes into the device, FIFO or socket fileName names: a FIFO is
// opened as its reader expects (waiting for one), a socket is connected to. The open, every write
// and the close are checked; a reader that goes away part way is a failure ("Broken pipe"), never
// the end of the program. The reason when any fails, or when fileName is a block device; else
// nothing.
std::optional<QString> WriteIntoDevice(const QString& fileName, const ChunkSource& source);

}  // namespace reports
