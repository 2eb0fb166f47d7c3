// The hand-over to the Qt UI thread: a chain's events in order and on the UI thread, the worker
// held until each is shown, the stop releasing it, and a stopped chain's outcome left unshown.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <atomic>
#include <optional>
#include <thread>

#include "link_test_support.h"
#include "setka/link/qt_hand_over.h"

using namespace livna::setka;

namespace {

/// What the UI thread saw; touched on the UI thread only.
struct Seen {
    std::vector<LinkEvent> events;
    std::optional<ChainOutcome> outcome;
    bool offUiThread = false;
    std::size_t eventsBeforeOutcome = 0;
};

HandOverSink::Show recordEvents(Seen& seen) {
    return [&seen](const LinkEvent& e) {
        seen.offUiThread |= QThread::currentThread() != qApp->thread();
        seen.events.push_back(e);
    };
}

std::function<void(ChainOutcome)> recordOutcome(Seen& seen) {
    return [&seen](ChainOutcome o) {
        seen.offUiThread |= QThread::currentThread() != qApp->thread();
        seen.eventsBeforeOutcome = seen.events.size();
        seen.outcome = std::move(o);
    };
}

/// Runs the UI thread's events for ms milliseconds.
void spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace

class QtHandOverTest : public QObject {
    Q_OBJECT
private slots:
    void eventsReachTheUiThreadInOrder_andTheWorkerWaitsForEach() {
        test::SimulatedSetkaPanel panel;
        Seen seen;
        QtHandOver handOver(recordEvents(seen));
        std::atomic<bool> workerDone{false};
        auto toUi = handOver.finishOnUi(recordOutcome(seen));
        LinkChain chain;
        chain.start(
            panel.line, ChainRequest::connect(0x63, false), handOver.sink(),
            [&](ChainOutcome o) {
                toUi(std::move(o));
                workerDone = true;
            },
            &panel.clock);

        // On virtual time the chain takes no real time, yet it cannot pass its first event while
        // the UI thread does not run.
        QThread::msleep(300);
        QVERIFY(!workerDone);

        QElapsedTimer t;
        t.start();
        while (!seen.outcome && t.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        chain.stop();
        QVERIFY(seen.outcome.has_value());
        QCOMPARE(seen.outcome->status, StepStatus::Done);
        const std::vector<LinkEvent> expected{{LinkEventCode::Attempt, 1, 0},
                                              {LinkEventCode::CheckingVersion}};
        QVERIFY(seen.events == expected);
        QCOMPARE(seen.eventsBeforeOutcome, expected.size());
        QVERIFY(!seen.offUiThread);
    }

    void stopReleasesAWaitingWorker_andNothingOfTheChainIsShown() {
        test::SimulatedSetkaPanel panel;
        Seen seen;
        QtHandOver handOver(recordEvents(seen));
        LinkChain chain;
        chain.start(panel.line, ChainRequest::connect(0x63, false), handOver.sink(),
                    handOver.finishOnUi(recordOutcome(seen)), &panel.clock);
        QThread::msleep(100);  // the worker has handed its first event over and waits

        QElapsedTimer t;
        t.start();
        handOver.forget();
        chain.stop();
        QVERIFY2(t.elapsed() < 150, qPrintable(QString::number(t.elapsed())));
        spin(100);
        QVERIFY(seen.events.empty());
        QVERIFY(!seen.outcome);
    }

    void anOutcomeQueuedBeforeTheStopIsDropped() {
        Seen seen;
        QtHandOver handOver(recordEvents(seen));
        auto toUi = handOver.finishOnUi(recordOutcome(seen));
        std::thread([&] { toUi(ChainOutcome{}); }).join();  // the chain's last act, already queued
        handOver.forget();
        spin(50);
        QVERIFY(!seen.outcome);

        // A chain started after the stop has its outcome shown again.
        auto next = handOver.finishOnUi(recordOutcome(seen));
        ChainOutcome failed;
        failed.status = StepStatus::Failed;
        std::thread([&] { next(failed); }).join();
        spin(50);
        QVERIFY(seen.outcome.has_value());
        QCOMPARE(seen.outcome->status, StepStatus::Failed);
        QVERIFY(!seen.offUiThread);
    }

    void nothingRunsAfterTheHandOverIsGone() {
        Seen seen;
        std::optional<QtHandOver> handOver(std::in_place, recordEvents(seen));
        auto toUi = handOver->finishOnUi(recordOutcome(seen));
        std::thread([&] { toUi(ChainOutcome{}); }).join();
        handOver.reset();
        spin(50);
        QVERIFY(!seen.outcome);
    }
};

QTEST_MAIN(QtHandOverTest)
#include "qt_hand_over_test.moc"
