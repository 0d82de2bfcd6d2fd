// Launching one connection: the pre-checks, the probe, the RDP download and the hand-over.
#include <thread>

#include "common/app_open.h"
#include "common/text.h"
#include "common/user_agent.h"
#include "connect/qx_connection.h"
#include "connect/rdp_file_name.h"

namespace {

const char* const sRetryNote = "  Please try again later (Status will update automatically).";

std::string ProbeFailureDetail(const THttpResponse& answer) {
  return "(" + std::to_string(answer.StatusCode) + ") " + answer.StatusText;
}

bool IsRdpAddress(const THttpResponse& probe, const TURI& uri) {
  if (probe.ContentType().find("application/x-rdp") != std::string::npos) return true;
  const std::string& path = uri.Path;
  return path.size() >= 4 && SameTextAscii(std::string_view(path).substr(path.size() - 4), ".rdp");
}

}  // namespace

bool TQXConnection::Redirect() {
  return Redirect(UseActiveConnResponse);
}

bool TQXConnection::Redirect(const TConnResponse& Response) {
  const TConnResponse given = Response;
  const TConnResponse entry = given != UseActiveConnResponse ? given : ActiveResponse();
  IDialogs& dialogs = FServices.Dialogs;

  if (FStatusDefs.IsStatusFail(entry.Status)) {
    dialogs.ShowMessage(TMsgDlgType::mtWarning,
                        std::string("An issue in the current environment is preventing a "
                                    "successful connection.") +
                            sRetryNote);
    return false;
  }
  if (FBlockLaunch || entry.BlockLaunch) {
    dialogs.ShowMessage(
        TMsgDlgType::mtInformation,
        std::string("Launching a session is currently being blocked for the Environment.") +
            sRetryNote);
    return false;
  }
  if (!IsValidURL(FServices.Uri, entry.ConnUrl)) return false;

  const TURI uri = FServices.Uri.Parse(entry.ConnUrl);
  std::unique_ptr<IHttpClient> client = FServices.Http.Create(LaunchClientSettings());

  THttpResponse probe;
  std::string detail;
  try {
    probe = client->Head(uri.Text);
    if (probe.StatusCode != 200) detail = ProbeFailureDetail(probe);
  } catch (const EHttpError& e) {
    detail = e.what();
  }
  if (!detail.empty()) {
    dialogs.ShowMessage(
        TMsgDlgType::mtError,
        std::string("Unable to make a successful connection to the following URL:") + sLineBreak +
            entry.ConnUrl + sLineBreak + sLineBreak + detail);
    return false;
  }

  if (IsRdpAddress(probe, uri)) return DownloadAndOpen(*client, uri, given);

  TAppOpen::OpenUrl(Shell(), dialogs, uri.Text);
  return true;
}

bool TQXConnection::DownloadAndOpen(IHttpClient& client, const TURI& uri,
                                    const TConnResponse& given) {
  ILaunchFiles& files = Files();
  std::string fileName = GetRDPFileName(given);
  std::unique_ptr<IFileWriter> file;
  try {
    file = files.Create(fileName);
  } catch (const EFileCreateError&) {
    // Somebody else's file or a link stands at that name; never write through it.
    fileName = FServices.System.TempFolder() + RandomRDPBaseName(FRandom) + ".rdp";
    file = files.Create(fileName);
  }

  size_t written = 0;
  bool tooLarge = false;
  const TBodySink sink = [&](std::string_view chunk) {
    written += chunk.size();
    if (written > FLaunchTimings.MaxRdpFileBytes) {
      tooLarge = true;
      return false;
    }
    return file->Write(chunk);
  };
  THttpResponse answer;
  try {
    answer = client.Get(uri.Text, sink);
  } catch (const EHttpError&) {
    file->Close();
    if (tooLarge) {
      files.Delete(fileName);
      throw EHttpError("The connection file at '" + uri.Text + "' is larger than " +
                       std::to_string(FLaunchTimings.MaxRdpFileBytes / (1024 * 1024)) + " MiB.");
    }
    throw;
  }
  file->Close();

  if (answer.StatusCode != 200) {
    FServices.Dialogs.ShowMessage(
        TMsgDlgType::mtError,
        std::string("There was a problem downloading from the following URL:") + sLineBreak + "'" +
            uri.Text + "'" + sLineBreak + "(" + std::to_string(answer.StatusCode) + ") " +
            answer.StatusText);
    return false;
  }

  std::unique_ptr<IFileUseWatch> watch = files.WatchUse(fileName);
  const int code =
      TAppOpen::OpenFile(Shell(), FServices.Dialogs, fileName, "application/x-rdp", "connect");
  GiveClientTimeToStart();
  if (shellcode::Succeeded(code)) WaitForRelease(*watch, fileName);
  if (files.Exists(fileName)) files.Delete(fileName);
  return true;
}

void TQXConnection::GiveClientTimeToStart() {
  if (!FServices.App) {
    std::this_thread::sleep_for(FLaunchTimings.StartPauseRound * FLaunchTimings.StartPauseRounds);
    return;
  }
  for (int round = 0; round < FLaunchTimings.StartPauseRounds; ++round) {
    FServices.App->ProcessPendingEvents();
    std::this_thread::sleep_for(FLaunchTimings.StartPauseRound);
  }
}

void TQXConnection::WaitForRelease(IFileUseWatch& watch, const std::string& fileName) {
  const auto deadline = std::chrono::steady_clock::now() + FLaunchTimings.ReleaseWaitBound;
  for (;;) {
    const bool released = watch.IsReleased();
    std::this_thread::sleep_for(FLaunchTimings.ReleasePoll);
    if (released || !Files().Exists(fileName)) return;
    if (std::chrono::steady_clock::now() >= deadline) return;
  }
}

std::string TQXConnection::GetRDPFileName(const TConnResponse& Response) {
  ILaunchFiles& files = Files();
  const std::string folder = FServices.System.TempFolder();
  std::string name;
  if (!FUseRandomRDPFileName && Response.IsValid() && IsPlainFileName(Response.DisplayName))
    name = folder + Response.DisplayName + ".rdp";
  else
    name = folder + RandomRDPBaseName(FRandom) + ".rdp";
  if (files.Exists(name) && !files.Delete(name))
    name = folder + RandomRDPBaseName(FRandom) + ".rdp";
  return name;
}

THttpClientSettings TQXConnection::LaunchClientSettings() {
  THttpClientSettings settings;
  settings.UserAgent = sUserAgent;
  settings.FollowRedirects = true;
  settings.MaxRedirects = kLaunchMaxRedirects;
  settings.ConnectTimeout = FLaunchTimings.ConnectTimeout;
  settings.ResponseTimeout = FLaunchTimings.ResponseTimeout;
  settings.OnInvalidCertificate = [this](bool& accepted) { ConfirmCertificate(accepted); };
  return settings;
}

IShell& TQXConnection::Shell() {
  if (!FServices.Shell) throw std::logic_error("no shell to launch with");
  return *FServices.Shell;
}

ILaunchFiles& TQXConnection::Files() {
  if (!FServices.Files) throw std::logic_error("no launch files");
  return *FServices.Files;
}
