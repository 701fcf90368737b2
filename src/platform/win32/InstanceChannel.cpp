// The owner holds a mutex in the logon session's namespace whose name holds
// the user's SID and the program's name: whoever creates it owns the name,
// and the system destroys it however the owner's process ends. The owner
// receives on a named pipe of the SID, the session and the name, whose first
// instance is made with FILE_FLAG_FIRST_PIPE_INSTANCE. Both are owned by the
// user and open to the user alone. A sender checks that the pipe's owner is its own user before it
// sends, so that nobody who made the name first learns its arguments.
// A message goes as its size in four bytes (least significant first) and its
// bytes. The owner, ready to deliver it, offers one byte; the sender, while it
// still waits for the offer, commits with one byte, and only a commit that the
// owner reads in time is delivered. (A sender that stalls for seconds between
// reading the offer and writing its commit is the one case that a pipe, which
// has no way to refuse a write once the owner gives up, leaves open.)
#include "platform/InstanceChannel.h"

#include <aclapi.h>
#include <sddl.h>
#include <windows.h>

#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/DynamicLibrary.h"
#include "platform/win32/UserSecurity.h"
#include "platform/win32/WideText.h"

namespace murvo::platform {

namespace {

constexpr char readyOffer = 'R';
constexpr char commitAnswer = 'C';
// A sender that stalls halfway holds the owner no longer than this.
constexpr DWORD stalledSenderMillis = 5000;

struct Channel {
  std::mutex mutex;
  std::wstring pipeName;
  HANDLE listening = INVALID_HANDLE_VALUE;
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

// Never destroyed: the receiving thread may run while the process ends.
Channel& channel = *new Channel;

std::wstring pipeNameOf(const std::wstring& sid, const std::string& name) {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return L"\\\\.\\pipe\\murvo-" + sid + L"-" + std::to_wstring(session) + L"-" + widen(name);
}

HANDLE newInstance(const std::wstring& pipeName, bool first) {
  const HANDLE pipe = withUserOnlySecurity(
      Inheritance::none,
      [&](SECURITY_ATTRIBUTES* attributes) {
        return CreateNamedPipeW(
            pipeName.c_str(),
            PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
            PIPE_UNLIMITED_INSTANCES, 64 * 1024, 64 * 1024, 0, attributes);
      },
      HANDLE{nullptr});
  return pipe ? pipe : INVALID_HANDLE_VALUE;
}

enum class Transfer { done, failed, timedOut };

// Finishes an overlapped operation within `millis`; a stop event set meanwhile
// counts as a failure. What does not finish in time is cancelled.
Transfer finish(HANDLE handle, OVERLAPPED& overlapped, BOOL started, DWORD millis, DWORD& done,
                HANDLE stop = nullptr) {
  if (!started && GetLastError() != ERROR_IO_PENDING) return Transfer::failed;
  const HANDLE events[2] = {overlapped.hEvent, stop};
  const DWORD waited = WaitForMultipleObjects(stop ? 2 : 1, events, FALSE, millis);
  if (waited != WAIT_OBJECT_0) {
    CancelIoEx(handle, &overlapped);
    GetOverlappedResult(handle, &overlapped, &done, TRUE);
    return waited == WAIT_TIMEOUT ? Transfer::timedOut : Transfer::failed;
  }
  return GetOverlappedResult(handle, &overlapped, &done, FALSE) ? Transfer::done : Transfer::failed;
}

DWORD millisUntil(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return static_cast<DWORD>(std::max<long long>(left.count(), 1));
}

// Reads or writes all of `size` bytes by the deadline.
Transfer transferAll(HANDLE pipe, char* bytes, std::size_t size, bool write,
                     std::chrono::steady_clock::time_point deadline) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Transfer result = Transfer::done;
  while (size > 0 && result == Transfer::done) {
    ResetEvent(overlapped.hEvent);
    const DWORD part = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
    DWORD done = 0;
    const BOOL started = write ? WriteFile(pipe, bytes, part, nullptr, &overlapped)
                               : ReadFile(pipe, bytes, part, nullptr, &overlapped);
    result = finish(pipe, overlapped, started, millisUntil(deadline), done);
    if (result == Transfer::done && done == 0) result = Transfer::failed;
    bytes += done;
    size -= done;
  }
  CloseHandle(overlapped.hEvent);
  return result;
}

std::string framed(const std::string& message) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(message.size() >> 8 * i & 0xFF);
  return bytes + message;
}

void serve(HANDLE pipe, const MessageTaker& take, std::size_t maxSize) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(stalledSenderMillis);
  unsigned char header[4];
  if (transferAll(pipe, reinterpret_cast<char*>(header), 4, false, deadline) != Transfer::done)
    return;
  const std::size_t size =
      header[0] | header[1] << 8 | header[2] << 16 | static_cast<std::size_t>(header[3]) << 24;
  if (size > maxSize) return;
  std::string message(size, '\0');
  if (transferAll(pipe, message.data(), size, false, deadline) != Transfer::done) return;
  take(message, [pipe] {
    const auto limit =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(stalledSenderMillis);
    char offer = readyOffer, answer = 0;
    return transferAll(pipe, &offer, 1, true, limit) == Transfer::done &&
           transferAll(pipe, &answer, 1, false, limit) == Transfer::done && answer == commitAnswer;
  });
}

// True when the pipe's owner is the user: a pipe of anyone else's is not the
// running program's.
bool ownedByTheUser(HANDLE pipe) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(pipe, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                      nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool same = isUserSid(owner);
  LocalFree(descriptor);
  return same;
}

// Lets the running program bring its window to the front. USER32.dll, from
// the system folder, only here: the console twin imports nothing of it.
void allowForeground(DWORD process) {
  using Allow = BOOL(WINAPI*)(DWORD);
  if (const HMODULE user = LoadLibraryExW(L"user32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    if (const auto allow = reinterpret_cast<Allow>(
            reinterpret_cast<void*>(GetProcAddress(user, "AllowSetForegroundWindow")))) {
      allow(process);
    }
  }
}

}  // namespace

NameClaim claimInstanceName(const std::string& name, std::string& reason) {
  const std::optional<std::wstring> sid = userSidText();
  if (!sid) {
    reason = libraryError("the user's SID");
    return NameClaim::unavailable;
  }
  const std::wstring mutexName = L"Local\\murvo-" + *sid + L"-" + widen(name);
  const HANDLE owner = withUserOnlySecurity(
      Inheritance::none,
      [&](SECURITY_ATTRIBUTES* attributes) {
        return CreateMutexW(attributes, FALSE, mutexName.c_str());
      },
      HANDLE{nullptr});
  if (!owner || GetLastError() == ERROR_ALREADY_EXISTS) {
    if (owner) CloseHandle(owner);
    if (owner || GetLastError() == ERROR_ACCESS_DENIED) return NameClaim::ownedElsewhere;
    reason = libraryError(narrow(mutexName));
    return NameClaim::unavailable;
  }
  // The mutex stays open to the end of the process: as long as it exists,
  // the name is owned.
  const std::wstring pipeName = pipeNameOf(*sid, name);
  const HANDLE pipe = newInstance(pipeName, true);
  if (pipe == INVALID_HANDLE_VALUE) {
    reason = libraryError(narrow(pipeName));
    CloseHandle(owner);
    return NameClaim::unavailable;
  }
  std::lock_guard lock(channel.mutex);
  channel.pipeName = pipeName;
  channel.listening = pipe;
  return NameClaim::owned;
}

void receiveInstanceMessages(MessageTaker take, std::size_t maxSize) {
  // Never joined: the process may end while it waits for a sender.
  std::thread([take = std::move(take), maxSize] {
    HANDLE pipe;
    {
      std::lock_guard lock(channel.mutex);
      pipe = channel.listening;
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    for (;;) {
      ResetEvent(overlapped.hEvent);
      DWORD done;
      const BOOL connected = ConnectNamedPipe(pipe, &overlapped);
      if (!connected && GetLastError() == ERROR_PIPE_CONNECTED) {
        SetEvent(overlapped.hEvent);
      } else if (finish(pipe, overlapped, connected, INFINITE, done, channel.stop) !=
                 Transfer::done) {
        break;
      }
      // The next instance first: the name stays owned while this one serves.
      HANDLE next = newInstance(channel.pipeName, false);
      serve(pipe, take, maxSize);
      DisconnectNamedPipe(pipe);
      if (next != INVALID_HANDLE_VALUE) {
        CloseHandle(pipe);
        pipe = next;
      }
      if (WaitForSingleObject(channel.stop, 0) == WAIT_OBJECT_0) break;
    }
    // Stopped. The instance stays open to the end of the process, so that the
    // name is not free while the program ends, and this process connects to
    // it itself, so that senders find it busy instead of waiting for an
    // answer that never comes.
    CreateFileW(channel.pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                0, nullptr);
  }).detach();
}

void stopReceiving() {
  SetEvent(channel.stop);
}

Delivery sendInstanceMessage(const std::string& name, const std::string& message,
                             std::chrono::steady_clock::time_point deadline) {
  const std::optional<std::wstring> sid = userSidText();
  if (!sid) return Delivery::notReached;
  const HANDLE pipe = CreateFileW(
      pipeNameOf(*sid, name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
      FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
  // Busy (every instance serves another sender) or gone: not reached now.
  if (pipe == INVALID_HANDLE_VALUE) return Delivery::notReached;
  Delivery delivery = Delivery::notReached;
  if (ownedByTheUser(pipe)) {
    ULONG owner = 0;
    if (GetNamedPipeServerProcessId(pipe, &owner)) allowForeground(owner);
    std::string bytes = framed(message);
    char offer = 0, commit = commitAnswer;
    Transfer sent = transferAll(pipe, bytes.data(), bytes.size(), true, deadline);
    if (sent == Transfer::done) sent = transferAll(pipe, &offer, 1, false, deadline);
    // The owner is ready: the commit decides. The owner reads it before it
    // disconnects, so a commit that was written in time is delivered.
    if (sent == Transfer::done && offer == readyOffer &&
        transferAll(pipe, &commit, 1, true, deadline + std::chrono::seconds(1)) == Transfer::done) {
      delivery = Delivery::taken;
    }
    if (sent == Transfer::timedOut) delivery = Delivery::noAnswer;
  }
  CloseHandle(pipe);
  return delivery;
}

}  // namespace murvo::platform
