// Arbitrary bytes from the PC to the simulated controller, over a backup folder of the sample plant
// made once. The controller's answers are discarded; it must neither crash nor leave a file half
// written.
#include "sim/SampleDataSet.h"
#include "sim/SimulatedController.h"

#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace qdv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    static QString error;
    static const bool made = WriteSampleDataSet(dir.path(), &error);
    if (!made)
        std::abort();

    sim::SimulatedController controller(dir.path(), nullptr);
    qsizetype answered = 0;
    controller.SetOutput([&answered](const QByteArray& bytes) { answered += bytes.size(); });
    controller.SetDropLine([] {});
    controller.SetLog([](const QString&) {});
    // In two parts, so that a record split between two reads is handled too.
    const auto half = static_cast<qsizetype>(size / 2);
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    controller.Receive(bytes.first(half));
    controller.Receive(bytes.sliced(half));
    controller.Disconnected();
    return answered < 0 ? 1 : 0;
}
