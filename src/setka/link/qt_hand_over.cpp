#include "setka/link/qt_hand_over.h"

#include <QMetaObject>

namespace livna::setka {

namespace {

// A functor queued to a context object runs on the context's thread, and not at all once the
// context is destroyed.
void queueTo(QObject* context, std::function<void()> task) {
    QMetaObject::invokeMethod(context, std::move(task), Qt::QueuedConnection);
}

}  // namespace

QtHandOver::QtHandOver(HandOverSink::Show show)
    : m_context(std::make_unique<QObject>()),
      m_sink(std::make_unique<HandOverSink>(
          [context = m_context.get()](std::function<void()> task) { queueTo(context, std::move(task)); },
          std::move(show))) {}

QtHandOver::~QtHandOver() = default;

LinkChain::Finish QtHandOver::finishOnUi(std::function<void(ChainOutcome)> done) {
    // The generation is read and written on the UI thread only: the worker merely carries it.
    return [this, context = m_context.get(), generation = m_generation,
            done = std::move(done)](ChainOutcome outcome) {
        queueTo(context, [this, generation, done, outcome = std::move(outcome)]() mutable {
            if (generation == m_generation) done(std::move(outcome));
        });
    };
}

}  // namespace livna::setka
