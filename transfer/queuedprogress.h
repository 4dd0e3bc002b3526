// A job reports its progress texts on its own thread. QueuedProgress makes the progress
// callback for a job that hands each text to a function on the thread of a receiving
// object (the user-interface thread), without ever waiting for that thread: a text that
// arrives while the previous one is still on its way replaces it, so that at most one
// call is queued and the latest text is the one shown.
#pragma once

#include <QString>
#include <functional>

#include "interchange/tkelmorinout.h"

class QObject;

namespace kelmor {

// `receiver` must outlive the job; texts still queued when it is destroyed are dropped.
// The texts are Latin-1, as everything the engine and the jobs hold.
TKelmorInOut::TProgressCallback QueuedProgress(QObject* receiver, std::function<void(const QString& text)> show);

}  // namespace kelmor
