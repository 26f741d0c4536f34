#include "engine/Document.h"

#include "engine/FileError.h"
#include "engine/Utf8NoBomFile.h"

#include <QFileInfo>
#include <QThread>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

Document Document::Load(const QString &path, bool codeStrings)
{
    Document document;
    document.path = path;
    try {
        document.bytes = Utf8NoBomFile::ReadBytes(path);
        document.text = Utf8NoBomFile::DecodeUtf8(document.bytes, path);
    } catch (const FileError &error) {
        document.error = error.message();
        return document;
    }
    document.rows = ScanRows(document.text, codeStrings);
    document.found = LiteralsAt(document.text, document.rows.spans);
    document.replacements = document.written = document.found;
    return document;
}

ReplaceRequest Document::saveRequest(bool ownLiterals) const
{
    const QFileInfo file(path);
    ReplaceRequest request{text, found, replacements, file.path(), file.fileName(), path};
    request.spans = rows.spans;
    request.ownLiterals = ownLiterals;
    request.diskBytes = bytes;
    return request;
}

void ParallelFor(int count, int threads, const std::function<void(int)> &work, const std::function<void()> &waiting)
{
    if (threads <= 0)
        threads = qMax(1, QThread::idealThreadCount());
    threads = qMin(threads, qMax(1, count));
    std::atomic<int> next{0};
    const auto worker = [&] {
        for (int i = next++; i < count; i = next++)
            work(i);
    };
    std::vector<std::future<void>> running;
    for (int t = 0; t < threads; ++t)
        running.push_back(std::async(std::launch::async, worker));
    for (std::future<void> &one : running) {
        while (one.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
            if (waiting)
                waiting();
        }
        one.get(); // what a worker threw goes on here
    }
}
