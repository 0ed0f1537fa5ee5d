#include "AssertionRecorder.h"

#include <mutex>

namespace {

// The handler is a plain function pointer: what it records lives here.
std::mutex recordedMutex;
QStringList recorded;

void record(const char *message, const char *, int)
{
    const std::lock_guard<std::mutex> lock(recordedMutex);
    recorded.append(QString::fromUtf8(message));
}

} // namespace

AssertionRecorder::AssertionRecorder()
{
    {
        const std::lock_guard<std::mutex> lock(recordedMutex);
        recorded.clear();
    }
    m_previous = Fen_QorSetAssertionHandler(&record);
}

AssertionRecorder::~AssertionRecorder()
{
    Fen_QorSetAssertionHandler(m_previous);
}

QStringList AssertionRecorder::failures() const
{
    const std::lock_guard<std::mutex> lock(recordedMutex);
    return recorded;
}
