// THTTPGet: a non-visual component that fetches one HTTP address into a file (GetFile) or
// a byte string (GetString) on a worker thread and reports the outcome on the
// user-interface thread through its events.
//
// States: Idle (no worker) and Running (FThread set, from the start of a transfer until
// its end handler has raised the outcome event). In Running, GetFile and GetString are
// refused silently. Every operation and every event runs on the user-interface thread.
// The getter never owns its worker; once destroyed, none of its events is raised again.
#pragma once

#include <memory>

#include "framework/Classes.h"
#include "framework/TypInfo.h"
#include "httpget/HTTPGetThread.h"

// Sender, FileName, FileSize.
using TOnDoneFileEvent = TEvent<TObject*, AnsiString, int32_t>;
// Sender, Result (the body's bytes).
using TOnDoneStringEvent = TEvent<TObject*, AnsiString>;

class THTTPGet : public TComponent {
  KX_DECLARE_CLASS(THTTPGet)

 public:
  explicit THTTPGet(TComponent* aOwner);
  // Aborts a running transfer; its end no longer reaches this getter.
  ~THTTPGet() override;

  void GetFile();
  void GetString();
  // Asks a running worker to stop and marks its outcome as failed; does not wait.
  void Abort();
  // The end handler bound to each worker (Sender = the worker). Not for users.
  void WorkerFinished(TObject* Sender);

  // A transfer is running (FThread is set).
  bool Busy() const { return FThread != nullptr; }

  const AnsiString& AcceptTypes() const { return FAcceptTypes; }
  void SetAcceptTypes(AnsiString v) { FAcceptTypes = std::move(v); }
  const AnsiString& Agent() const { return FAgent; }
  void SetAgent(AnsiString v) { FAgent = std::move(v); }
  bool BinaryData() const { return FBinaryData; }
  void SetBinaryData(bool v) { FBinaryData = v; }
  const AnsiString& URL() const { return FURL; }
  void SetURL(AnsiString v) { FURL = std::move(v); }
  bool UseCache() const { return FUseCache; }
  void SetUseCache(bool v) { FUseCache = v; }
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(AnsiString v) { FFileName = std::move(v); }
  const AnsiString& UserName() const { return FUserName; }
  void SetUserName(AnsiString v) { FUserName = std::move(v); }
  const AnsiString& Password() const { return FPassword; }
  void SetPassword(AnsiString v) { FPassword = std::move(v); }
  const AnsiString& PostQuery() const { return FPostQuery; }
  void SetPostQuery(AnsiString v) { FPostQuery = std::move(v); }
  const AnsiString& Referer() const { return FReferer; }
  void SetReferer(AnsiString v) { FReferer = std::move(v); }
  bool WaitThread() const { return FWaitThread; }
  void SetWaitThread(bool v) { FWaitThread = v; }

  const TNotifyEvent& OnError() const { return FError; }
  void SetOnError(TNotifyEvent e) { FError = std::move(e); }
  const TOnProgressEvent& OnProgress() const { return FProgress; }
  void SetOnProgress(TOnProgressEvent e) { FProgress = std::move(e); }
  const TOnDoneFileEvent& OnDoneFile() const { return FDoneFile; }
  void SetOnDoneFile(TOnDoneFileEvent e) { FDoneFile = std::move(e); }
  const TOnDoneStringEvent& OnDoneString() const { return FDoneString; }
  void SetOnDoneString(TOnDoneStringEvent e) { FDoneString = std::move(e); }

 private:
  // What a worker's calls onto the user-interface thread go through: cleared when the
  // getter is destroyed, so that a worker outliving it never reaches it.
  struct TLink {
    THTTPGet* getter = nullptr;
  };

  void Start(bool toFile);

  AnsiString FAcceptTypes;
  AnsiString FAgent;
  bool FBinaryData = false;
  AnsiString FURL;
  bool FUseCache = false;
  AnsiString FFileName;
  AnsiString FUserName;
  AnsiString FPassword;
  AnsiString FPostQuery;
  AnsiString FReferer;
  bool FWaitThread = false;
  THTTPGetThread* FThread = nullptr;
  TNotifyEvent FError;
  TOnProgressEvent FProgress;
  TOnDoneFileEvent FDoneFile;
  TOnDoneStringEvent FDoneString;

  std::shared_ptr<TLink> link_;
};
