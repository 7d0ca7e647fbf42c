#include "httpget/HTTPGet.h"

#include "platform/inet/WinInet.h"
#include "platform/user/User.h"

namespace {
// How long the wait loop spins for a worker's next call after a message or a call.
constexpr uint32_t kLingerAfterMessageUs = 50;
}  // namespace

THTTPGet::THTTPGet(TComponent* aOwner)
    : TComponent(aOwner), link_(std::make_shared<TLink>(TLink{this})) {
  FAcceptTypes = "*/*";
  FAgent = "Kestrix HTTPGet";
}

THTTPGet::~THTTPGet() {
  Abort();
  link_->getter = nullptr;
  FThread = nullptr;
}

const TClassInfo* THTTPGet::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<THTTPGet>("THTTPGet", TComponent::StaticClass())
          .Factory()
          .AnsiString("AcceptTypes", &THTTPGet::AcceptTypes, &THTTPGet::SetAcceptTypes)
          .AnsiString("Agent", &THTTPGet::Agent, &THTTPGet::SetAgent)
          .Bool("BinaryData", &THTTPGet::BinaryData, &THTTPGet::SetBinaryData)
          .AnsiString("URL", &THTTPGet::URL, &THTTPGet::SetURL)
          .Bool("UseCache", &THTTPGet::UseCache, &THTTPGet::SetUseCache)
          .AnsiString("FileName", &THTTPGet::FileName, &THTTPGet::SetFileName)
          .AnsiString("UserName", &THTTPGet::UserName, &THTTPGet::SetUserName)
          .AnsiString("Password", &THTTPGet::Password, &THTTPGet::SetPassword)
          .AnsiString("PostQuery", &THTTPGet::PostQuery, &THTTPGet::SetPostQuery)
          .AnsiString("Referer", &THTTPGet::Referer, &THTTPGet::SetReferer)
          .Bool("WaitThread", &THTTPGet::WaitThread, &THTTPGet::SetWaitThread)
          .Event<TNotifyEvent>("OnError", &THTTPGet::OnError, &THTTPGet::SetOnError)
          .Event<TOnProgressEvent>("OnProgress", &THTTPGet::OnProgress, &THTTPGet::SetOnProgress)
          .Event<TOnDoneFileEvent>("OnDoneFile", &THTTPGet::OnDoneFile, &THTTPGet::SetOnDoneFile)
          .Event<TOnDoneStringEvent>("OnDoneString", &THTTPGet::OnDoneString,
                                     &THTTPGet::SetOnDoneString)
          .Build();
  return info;
}

void THTTPGet::GetFile() {
  Start(true);
}

void THTTPGet::GetString() {
  Start(false);
}

void THTTPGet::Start(bool toFile) {
  if (FThread) return;
  kx::InitInternet();

  // Progress goes through the link, so that it stops when the getter goes away. Unbound
  // stays unbound: the worker then never waits for the user-interface thread per chunk.
  TOnProgressEvent progress;
  if (FProgress) {
    progress = TOnProgressEvent(
        [link = link_, user = FProgress](TObject* sender, int32_t total, int32_t readed) {
          if (link->getter) user(sender, total, readed);
        },
        this);
  }
  FThread = new THTTPGetThread(FAcceptTypes, FAgent, FURL, FFileName, FUserName, FPassword,
                               FPostQuery, FReferer, FBinaryData, FUseCache, progress, toFile);
  FThread->SetOnTerminate(TNotifyEvent(
      [link = link_](TObject* sender) {
        if (link->getter) link->getter->WorkerFinished(sender);
      },
      this, "WorkerFinished"));
  FThread->Start();

  if (!FWaitThread) return;

  // Every message of this thread's queue is taken and dispatched, the quit request
  // included, until the end handler has cleared FThread. Between turns the thread sleeps
  // until a message arrives: the worker's calls onto this thread come with one. The link
  // is held here because the outcome event may destroy the getter.
  std::shared_ptr<TLink> link = link_;
  bool active = false;  // a message or a call in the last turn
  while (link->getter && link->getter->FThread) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      active = true;
    }
    if (!(link->getter && link->getter->FThread)) break;
    // A worker reporting progress makes its next call within microseconds of the last one:
    // wait for it spinning for a moment, which saves a wake-up and a message per chunk. A
    // quiet queue (a stalled server) is never spun on; the thread sleeps at once.
    if (active) {
      active = TThread::SpinSynchronize(kLingerAfterMessageUs);
      if (active) continue;
    }
    WaitMessage();
  }
}

void THTTPGet::Abort() {
  if (!FThread) return;
  FThread->Terminate();
  FThread->MarkFailed();
}

void THTTPGet::WorkerFinished(TObject* Sender) {
  auto* worker = dynamic_cast<THTTPGetThread*>(Sender);
  if (!worker) worker = FThread;
  std::shared_ptr<TLink> link = link_;
  if (worker) {
    if (worker->Result()) {
      if (worker->ToFile()) {
        if (FDoneFile) FDoneFile(this, worker->FileName(), worker->FileSize());
      } else {
        if (FDoneString) FDoneString(this, worker->StringResult());
      }
    } else {
      if (FError) FError(this);
    }
  }
  // The outcome event may have destroyed the getter.
  if (link->getter) FThread = nullptr;
}
