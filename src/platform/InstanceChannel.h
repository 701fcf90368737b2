// The channel between the starts of a program that runs once: the first
// start owns a name for the user (on Windows, for the user in the logon
// session) until its process ends, however it ends; a later start sends it
// a message and learns whether it was taken. Nobody but the same user (in
// the same session) reaches the owner, or can take the name first.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace murvo::platform {

enum class NameClaim {
  owned,           // this process owns the name from now on
  ownedElsewhere,  // another process of the user's owns it
  unavailable,     // the channel cannot be made here; `reason` says why
};

// Tries to own `name` (letters, digits, '.', '-' and '_') without waiting.
// Senders that come before `receiveInstanceMessages` wait in the channel.
NameClaim claimInstanceName(const std::string& name, std::string& reason);

// Asks the sender whether it still waits for its answer. True is the
// hand-over's commit: the sender has learnt that its message was taken, and
// the owner must deliver it. False: the sender has given up or learns that
// the message was not taken, and the owner must drop it. Called at most once.
using SenderCommit = std::function<bool()>;
// Takes one message: when ready to deliver it, asks `senderCommits`.
using MessageTaker =
    std::function<void(const std::string& message, const SenderCommit& senderCommits)>;

// On a thread of the channel's own, gives each message that reaches the
// owned name to `take`, one at a time, in the order they arrived, until
// `stopReceiving`. A message longer than `maxSize` is dropped unread.
void receiveInstanceMessages(MessageTaker take, std::size_t maxSize);

// From now on no message is taken: senders, waiting or new, learn that the
// owner ends. A call of `take` in progress is not waited for.
void stopReceiving();

enum class Delivery {
  taken,       // the owner took the message, and delivers it
  notReached,  // no owner answers the name now: it starts, ends or is gone
  noAnswer,    // the owner did not take the message by the deadline, and never will
};

// Sends `message` to the process that owns `name`, waiting for it no
// longer than `deadline`. On Windows the owner may take the foreground.
Delivery sendInstanceMessage(const std::string& name, const std::string& message,
                             std::chrono::steady_clock::time_point deadline);

}  // namespace murvo::platform
