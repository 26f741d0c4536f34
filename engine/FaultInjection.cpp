#include "engine/FaultInjection.h"

#include <set>

namespace FaultInjection {
namespace {
std::set<Point> &armed()
{
    static std::set<Point> points;
    return points;
}
std::optional<QStringConverter::Encoding> &fallbackEncoding()
{
    static std::optional<QStringConverter::Encoding> encoding;
    return encoding;
}
} // namespace

void Arm(Point point) { armed().insert(point); }
void DisarmAll()
{
    armed().clear();
    fallbackEncoding().reset();
}
bool IsArmed(Point point) { return armed().count(point) != 0; }

void SetFallbackEncoding(std::optional<QStringConverter::Encoding> encoding)
{
    fallbackEncoding() = encoding;
}
std::optional<QStringConverter::Encoding> FallbackEncoding() { return fallbackEncoding(); }

} // namespace FaultInjection
