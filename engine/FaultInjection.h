#pragma once

#include <QStringConverter>
#include <optional>

// Seams through which tests make file operations fail the way a real disk can.
// The program itself never arms them.
namespace FaultInjection {

enum class Point {
    StreamWrite,     // the UTF-8 write fails before anything is written
    DiskFull,        // every write stops half-way with "no space left on device"
    DeleteBackup,    // the old backup cannot be deleted
    RenameToBackup,  // the file cannot be renamed to its backup name
    MoveIntoPlace,   // the prepared file cannot be moved to the file's name
};

void Arm(Point point);
void DisarmAll();
bool IsArmed(Point point);

// The 8-bit encoding of the writer's fallback; the system's when not set.
void SetFallbackEncoding(std::optional<QStringConverter::Encoding> encoding);
std::optional<QStringConverter::Encoding> FallbackEncoding();

} // namespace FaultInjection
