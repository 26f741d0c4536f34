#pragma once

#include <QFileDevice>
#include <QString>

// The reason a file operation failed, in Chinese, followed by the system's own words.
QString FileErrorReason(const QFileDevice &device);
