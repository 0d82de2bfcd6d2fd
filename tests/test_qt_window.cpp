#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QEnterEvent>
#include <QImage>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "artwork.h"
#include "config/app_config.h"
#include "config/config_storage.h"
#include "conn_gui_window.h"
#include "connect/qx_connection.h"
#include "curl_http_client.h"
#include "curl_uri_parser.h"
#include "posix_system_info.h"
#include "qt_dialogs.h"
#include "qt_threads.h"
#include "support/connect_answer_json.h"
#include "support/image_server.h"
#include "support/recording_dialogs.h"
#include "support/test_server.h"

using nlohmann::json;
using namespace std::chrono_literals;

namespace {

class TQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "test_qt_window";
    static char* argv[] = {name, nullptr};
    FApp = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { FApp.reset(); }

 private:
  std::unique_ptr<QApplication> FApp;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

// Processes GUI events until `done` holds; false when it still does not after `timeout`.
bool Spin(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

void SpinFor(std::chrono::milliseconds duration) {
  Spin([] { return false; }, duration);
}

// Answers each modal dialog that opens, from inside the event loop the dialog runs.
class TModalAnswerer {
 public:
  explicit TModalAnswerer(std::function<void(QWidget*)> answer) : FAnswer(std::move(answer)) {
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || modal == FLast) return;
      FLast = modal;
      ++Count;
      FAnswer(modal);
    });
    FTimer.start(10);
  }
  int Count = 0;

 private:
  std::function<void(QWidget*)> FAnswer;
  QTimer FTimer;
  QPointer<QWidget> FLast;
};

std::string Png(int width, int height, QColor color = Qt::darkGreen) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(color);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

json Connection(const std::string& name, const std::string& imageUrl, bool blocked = false) {
  return testanswer::Connection(name, "http://127.0.0.1:1/" + name + ".rdp", 1, blocked, imageUrl);
}

json Answer(const std::vector<json>& connections, bool multi = false) {
  json answer = testanswer::Healthy();
  json& info = answer["QXConnectInfo"];
  info["connections"] = connections;
  std::vector<int> order;
  for (size_t i = 0; i < connections.size(); ++i) order.push_back(int(i));
  info["connpriority"] = order;
  info["usemulticonn"] = multi;
  return answer;
}

QSize PixmapSize(QWidget* image) {
  return static_cast<QLabel*>(image)->pixmap().size();
}

class QtWindowTest : public ::testing::Test {
 protected:
  QtWindowTest() {
    FVersion.ProductVersion.VersionFromStr("1.0.0.0");
    FVersion.FileVersion.VersionFromStr("1.0.2.38");
    FServer.Server().Get("/Connect/", [this](const httplib::Request&, httplib::Response& res) {
      std::lock_guard lock(FAnswerMutex);
      res.status = FAnswerStatus;
      res.set_content(FAnswer.dump(), "application/json");
    });
    ServeImages(FServer.Server(), FSlow, [](int w, int h) { return Png(w, h); });
    FServer.Start();
  }
  ~QtWindowTest() override {
    FWindow.reset();
    FSlow.Open();
  }

  void SetAnswer(const json& answer, int status = 200) {
    std::lock_guard lock(FAnswerMutex);
    FAnswer = answer;
    FAnswerStatus = status;
  }
  std::string Image(const std::string& path) const { return FServer.BaseUrl() + "/img/" + path; }

  void Create(const json& answer, std::vector<std::string> options = {},
              TConnGUITimings timings = {60000ms, 5000ms, 5000ms, kImageMaxBodyBytes}) {
    SetAnswer(answer);
    std::vector<std::string> args = {"-n", "-a:123", "-c:" + FServer.BaseUrl() + "/Connect/"};
    args.insert(args.end(), options.begin(), options.end());
    FConfig = std::make_unique<TAppConfig>(
        args, TAppConfigServices{FDialogs, FSystem, FUri, FStorage, FVersion});
    FConn.SetConnectUrl(FServer.BaseUrl() + "/Connect/");
    FConn.SetAccountNumber("123");
    TConnResponse response = InvalidConnResponse;
    FConn.Connect(response);
    ASSERT_TRUE(response.IsValid());
    FWindow = std::make_unique<TConnGUIWindow>(
        TConnGUIWindowServices{FConn, *FConfig, *FWindowDialogs, FHttp, FUri,
                               [this](const TConnResponse& r) { return FLaunch(r); }},
        timings);
  }
  void Open(const json& answer, std::vector<std::string> options = {},
            TConnGUITimings timings = {60000ms, 5000ms, 5000ms, kImageMaxBodyBytes}) {
    Create(answer, std::move(options), timings);
    FWindow->show();
  }
  bool ImagesSettled() {
    return Spin([this] { return !FWindow->LoadIndicator()->isVisible(); });
  }

  template <typename T = QWidget>
  T* Part(const char* name) const {
    return FWindow->findChild<T*>(QString::fromLatin1(name));
  }

  TTestServer FServer;
  TGate FSlow;
  std::mutex FAnswerMutex;
  json FAnswer;
  int FAnswerStatus = 200;
  TRecordingDialogs FDialogs;
  IDialogs* FWindowDialogs = &FDialogs;
  TCurlHttpClientFactory FHttp;
  TCurlURIParser FUri;
  TPosixSystemInfo FSystem;
  TNoConfigStorage FStorage;
  TAppResVersionInfo FVersion;
  TQXConnection FConn{{FHttp, FUri, FSystem, FDialogs, FVersion}};
  std::unique_ptr<TAppConfig> FConfig;
  std::function<bool(const TConnResponse&)> FLaunch = [](const TConnResponse&) { return false; };
  std::unique_ptr<TConnGUIWindow> FWindow;
};

}  // namespace

TEST_F(QtWindowTest, TheWindowAsCreated) {
  Create(Answer({Connection("A", "")}));
  EXPECT_EQ(FWindow->objectName(), "ConnGUI");
  EXPECT_TRUE(FWindow->windowFlags().testFlag(Qt::Tool));
  EXPECT_EQ(FWindow->size(), QSize(457, 64));
  EXPECT_EQ(FWindow->minimumSize(), FWindow->maximumSize()) << "not resizable";
  EXPECT_EQ(FWindow->windowTitle(), "Tarrowind Connect");
  EXPECT_TRUE(FWindow->testAttribute(Qt::WA_QuitOnClose));
  ASSERT_NE(Part("pnl0"), nullptr);
  EXPECT_EQ(Part("pnl0")->geometry(), QRect(0, 0, 457, 64));

  auto* button = Part<TTileButton>("btn0");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->parentWidget(), Part("pnl0"));
  EXPECT_EQ(button->geometry(), QRect(4, 4, 130, 56));
  EXPECT_EQ(button->text(), "Click Here to Connect");
  EXPECT_EQ(button->TextLabel()->text(), "Click Here to Connect");
  EXPECT_TRUE(button->TextLabel()->wordWrap());
  EXPECT_TRUE(button->TextLabel()->font().bold());
  EXPECT_TRUE(button->isDefault());
  EXPECT_FALSE(button->icon().isNull()) << "image index 0 at creation";

  auto* image = Part<TTileImage>("img0");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->parentWidget(), Part("pnl0"));
  EXPECT_EQ(PixmapSize(image), QSize(342, 60));
  EXPECT_EQ(image->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(image->geometry().left(), 138);

  EXPECT_EQ(FWindow->LoadIndicator()->objectName(), "LoadIndicator");
  EXPECT_EQ(FWindow->LoadIndicator()->pos(), QPoint(211, 7));
  EXPECT_TRUE(FWindow->StatusTimer()->isActive());
  EXPECT_EQ(FWindow->StatusTimer()->interval(), 60000);
}

TEST_F(QtWindowTest, TheArtwork) {
  const QImage unknown = StatusUnknownImage().toImage();
  ASSERT_EQ(unknown.size(), QSize(342, 60));
  const QColor banner = unknown.pixelColor(200, 5);
  EXPECT_LT(banner.lightness(), 100) << "dark grey";
  EXPECT_LT(std::abs(banner.red() - banner.blue()), 20);
  int white = 0;
  for (int x = 0; x < unknown.width(); ++x)
    for (int y = 0; y < unknown.height(); ++y)
      if (unknown.pixelColor(x, y).lightness() > 230) ++white;
  EXPECT_GT(white, 300) << "white writing and badge";

  const QImage blocked = BlockedSign().toImage();
  ASSERT_EQ(blocked.size(), QSize(20, 20));
  EXPECT_EQ(blocked.pixelColor(0, 0).alpha(), 0) << "round, not square";
  EXPECT_GT(blocked.pixelColor(10, 3).red(), 180);
  EXPECT_LT(blocked.pixelColor(10, 3).green(), 90);
  EXPECT_GT(blocked.pixelColor(10, 10).lightness(), 230) << "the white bar";
}

TEST_F(QtWindowTest, TilesAndSizesAfterTheImages) {
  struct Case {
    const char* name;
    std::vector<std::string> images;
    QSize fitted;
    std::vector<QSize> pictures;
  };
  const std::vector<Case> cases = {
      {"a 404 page", {"missing"}, {484, 64}, {{342, 60}}},
      {"a picture", {"png/200x50"}, {342, 54}, {{200, 50}}},
      {"three kinds",
       {"png/400x50", "capital", "missing"},
       {542, 54 + 64 + 64},
       {{400, 50}, {342, 60}, {342, 60}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<json> connections;
    for (const std::string& image : c.images)
      connections.push_back(Connection("c" + std::to_string(connections.size()), Image(image)));
    Open(Answer(connections, true));
    EXPECT_EQ(FWindow->size(), QSize(457, 64 * int(c.images.size()))) << "before the images";
    ASSERT_TRUE(ImagesSettled());
    EXPECT_EQ(FWindow->size(), c.fitted);
    int top = 0;
    for (size_t i = 0; i < c.images.size(); ++i) {
      const int number = i == 0 ? 0 : int(i) + 1;
      const std::string suffix = std::to_string(number);
      QWidget* panel = Part(("pnl" + suffix).c_str());
      ASSERT_NE(panel, nullptr) << suffix;
      const int height = c.pictures[i].height() + 4;
      EXPECT_EQ(panel->geometry(), QRect(0, top, c.fitted.width(), height));
      EXPECT_EQ(PixmapSize(Part(("img" + suffix).c_str())), c.pictures[i]);
      auto* button = Part<TTileButton>(("btn" + suffix).c_str());
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(button->geometry(), QRect(4, 4, 130, height - 8));
      EXPECT_EQ(button->TextLabel()->text(), "Click Here to Connect");
      EXPECT_EQ(button->TextLabel()->font().bold(), i == 0) << "bold stays with the template";
      EXPECT_EQ(button->isDefault(), i == 0);
      top += height;
    }
    EXPECT_EQ(Part("pnl1"), nullptr) << "the first added tile is number 2";
    FWindow.reset();
  }
}

TEST_F(QtWindowTest, BlockedIconsAndHoverColour) {
  Open(Answer({Connection("A", ""), Connection("B", "", true)}, true));
  auto* free = Part<TTileButton>("btn0");
  auto* blocked = Part<TTileButton>("btn2");
  ASSERT_NE(blocked, nullptr);
  EXPECT_TRUE(free->icon().isNull());
  EXPECT_FALSE(free->IconLabel()->isVisible());
  EXPECT_FALSE(blocked->icon().isNull());
  EXPECT_TRUE(blocked->IconLabel()->isVisible());
  EXPECT_EQ(blocked->icon().pixmap(20, 20).size(), QSize(20, 20));

  const QColor normal = blocked->TextLabel()->palette().color(QPalette::WindowText);
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(blocked, &enter);
  EXPECT_EQ(blocked->TextLabel()->palette().color(QPalette::WindowText), QColor(0x41, 0x69, 0xe1));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(blocked, &leave);
  EXPECT_EQ(blocked->TextLabel()->palette().color(QPalette::WindowText), normal);
}

TEST_F(QtWindowTest, TheIndicatorRunsWhileAnImageIsSlow) {
  Open(Answer({Connection("A", Image("slow"))}));
  TActivityIndicator* indicator = FWindow->LoadIndicator();
  EXPECT_TRUE(indicator->isVisible());
  EXPECT_TRUE(indicator->IsAnimating());
  EXPECT_EQ(indicator->pos(), QPoint((457 - 32) / 2, (64 - 32) / 2));
  const int frame = indicator->Frame();
  SpinFor(300ms);
  EXPECT_NE(indicator->Frame(), frame) << "it turns";
  FSlow.Open();
  ASSERT_TRUE(ImagesSettled());
  EXPECT_FALSE(indicator->IsAnimating());
  EXPECT_EQ(FWindow->size(), QSize(442, 74));
}

TEST_F(QtWindowTest, ALateAnswerForARemovedTileIsDropped) {
  Open(Answer({Connection("A", Image("png/200x50")), Connection("B", Image("slow"))}, true), {},
       {200ms, 5000ms, 5000ms, kImageMaxBodyBytes});
  ASSERT_NE(Part("pnl2"), nullptr);
  SetAnswer(Answer({Connection("A", Image("png/200x50"))}, true));
  ASSERT_TRUE(Spin([this] { return Part("pnl2") == nullptr; })) << "the timer's refresh";
  FSlow.Open();
  SpinFor(500ms);
  EXPECT_EQ(FDialogs.Count(), 0u);
  EXPECT_EQ(FWindow->size(), QSize(342, 54));
  EXPECT_TRUE(FWindow->isVisible());
}

TEST_F(QtWindowTest, ButtonAndImageClicks) {
  Open(Answer({Connection("A", ""), Connection("B", "")}, true));
  ASSERT_TRUE(ImagesSettled());
  std::vector<std::string> launched;
  FLaunch = [&](const TConnResponse& r) {
    launched.push_back(r.DisplayName);
    EXPECT_EQ(FWindow->cursor().shape(), Qt::WaitCursor);
    EXPECT_FALSE(Part("pnl0")->isEnabled());
    EXPECT_FALSE(Part("btn2")->isEnabled());
    EXPECT_TRUE(FWindow->LoadIndicator()->isVisible());
    return false;
  };
  Part<QPushButton>("btn2")->click();
  EXPECT_EQ(launched, std::vector<std::string>{"B"});
  EXPECT_EQ(FWindow->cursor().shape(), Qt::ArrowCursor);
  EXPECT_TRUE(Part("btn2")->isEnabled());
  EXPECT_FALSE(FWindow->LoadIndicator()->isVisible());
  EXPECT_TRUE(FWindow->isVisible());

  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(FWindow.get(), &enter);
  EXPECT_EQ(launched, (std::vector<std::string>{"B", "A"})) << "Enter presses the default button";

  FLaunch = [](const TConnResponse&) -> bool { throw std::runtime_error("no shell"); };
  Part<QPushButton>("btn0")->click();
  EXPECT_EQ(FDialogs.MessageTexts(), std::vector<std::string>{"no shell"});
  EXPECT_TRUE(Part("pnl0")->isEnabled()) << "restored after the error";

  FDialogs.Clear();
  QWidget* image = Part("img0");
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(10, 10),
                      image->mapToGlobal(QPointF(10, 10)), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(image, &release);
  EXPECT_EQ(FDialogs.MessageTexts(),
            std::vector<std::string>{"All systems operational\r\n\r\nConnection to:\r\nA (id-A)"});

  FLaunch = [](const TConnResponse&) { return true; };
  Part<QPushButton>("btn0")->click();
  EXPECT_FALSE(FWindow->isVisible()) << "a launch closes the window";
}

TEST_F(QtWindowTest, ClosingTheWindowEndsTheEventLoop) {
  Open(Answer({Connection("A", "")}));
  bool closed = false;
  QTimer::singleShot(50, FWindow.get(), [&] {
    closed = true;
    FWindow->close();
  });
  QTimer safety;  // a timer of this test only: it must not end a later test's event loop
  safety.setSingleShot(true);
  QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  safety.start(5000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_TRUE(closed);
}

TEST_F(QtWindowTest, AnInvalidTimerAnswerShowsTheErrorAndCloses) {
  Open(Answer({Connection("A", "")}), {}, {100ms, 5000ms, 5000ms, kImageMaxBodyBytes});
  SetAnswer(json::object(), 500);
  ASSERT_TRUE(Spin([this] { return !FWindow->isVisible(); }));
  EXPECT_EQ(FDialogs.MessageTexts(),
            std::vector<std::string>{"Received invalid response from server."});
}

TEST_F(QtWindowTest, DestroyingTheWindowDoesNotWaitForASlowImage) {
  Open(Answer({Connection("A", Image("slow"))}));
  ASSERT_TRUE(Spin([this] {
    for (const auto& request : FServer.Requests())
      if (request.Path == "/img/slow") return true;
    return false;
  }));
  const auto start = std::chrono::steady_clock::now();
  FWindow.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
}

TEST_F(QtWindowTest, TheCertificateQuestionOfAnImageIsAskedInAQtDialog) {
  TTestServer images(true);
  ServeImages(images.Server(), FSlow, [](int w, int h) { return Png(w, h); });
  images.Start();
  TQtDialogs qtDialogs;
  FWindowDialogs = &qtDialogs;
  QString asked;
  TModalAnswerer answerer([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    asked = box->text();
    box->button(QMessageBox::Yes)->click();
  });
  Open(Answer({Connection("A", images.BaseUrl() + "/img/png/200x50")}));
  ASSERT_TRUE(ImagesSettled());
  EXPECT_EQ(asked, "Invalid Certificate! Continue?");
  EXPECT_EQ(FWindow->size(), QSize(342, 54));
  FWindow.reset();
}

TEST(QtGuiThread, HandsWorkToTheGuiThreadAndLetsGoAtShutdown) {
  TQtGuiThread gui;
  QThread* ran = nullptr;
  gui.RunAndWait([&] { ran = QThread::currentThread(); });
  EXPECT_EQ(ran, QCoreApplication::instance()->thread()) << "directly on the GUI thread";

  std::atomic<bool> done = false;
  std::string error;
  std::thread worker([&] {
    gui.RunAndWait([&] { ran = QThread::currentThread(); });
    try {
      gui.RunAndWait([] { throw std::runtime_error("from the work"); });
    } catch (const std::exception& e) {
      error = e.what();
    }
    done = true;
  });
  ASSERT_TRUE(Spin([&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(ran, QCoreApplication::instance()->thread());
  EXPECT_EQ(error, "from the work");

  std::atomic<bool> waiting = false;
  std::atomic<bool> released = false;
  bool ranAfterShutdown = false;
  std::thread late([&] {
    waiting = true;
    gui.RunAndWait([&] { ranAfterShutdown = true; });
    released = true;
  });
  while (!waiting) std::this_thread::sleep_for(1ms);
  std::this_thread::sleep_for(20ms);
  gui.Shutdown();  // without running the event loop
  late.join();
  EXPECT_TRUE(released);
  EXPECT_FALSE(ranAfterShutdown);
  gui.RunAndWait([&] { ranAfterShutdown = true; });
  EXPECT_FALSE(ranAfterShutdown);
}

TEST(QtDialogsTest, MessagesOfEachKind) {
  struct Case {
    TMsgDlgType kind;
    QMessageBox::Icon icon;
  };
  const std::vector<Case> cases = {{TMsgDlgType::mtError, QMessageBox::Critical},
                                   {TMsgDlgType::mtWarning, QMessageBox::Warning},
                                   {TMsgDlgType::mtInformation, QMessageBox::Information}};
  for (const Case& c : cases) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QMessageBox::StandardButtons buttons;
    bool okIsDefault = false;
    TModalAnswerer answerer([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      icon = box->icon();
      text = box->text();
      buttons = box->standardButtons();
      okIsDefault = box->defaultButton() == box->button(QMessageBox::Ok);
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(box, &enter);
    });
    TQtDialogs().ShowMessage(c.kind, "first\r\nsecond");
    EXPECT_EQ(answerer.Count, 1);
    EXPECT_EQ(icon, c.icon);
    EXPECT_EQ(text, "first\nsecond");
    EXPECT_EQ(buttons, QMessageBox::Ok);
    EXPECT_TRUE(okIsDefault);
  }
}

TEST(QtDialogsTest, TheYesNoQuestionDefaultsToNo) {
  struct Case {
    const char* name;
    std::function<void(QMessageBox*)> answer;
    bool expected;
  };
  const std::vector<Case> cases = {
      {"Enter takes the default",
       [](QMessageBox* box) {
         QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
         QApplication::sendEvent(box, &enter);
       },
       false},
      {"Yes", [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }, true},
      {"Escape", [](QMessageBox* box) { box->reject(); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QMessageBox::StandardButtons buttons;
    TModalAnswerer answerer([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      buttons = box->standardButtons();
      EXPECT_EQ(box->icon(), QMessageBox::Warning);
      c.answer(box);
    });
    EXPECT_EQ(TQtDialogs().ConfirmWarning("Invalid Certificate! Continue?"), c.expected);
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);
  }
}

TEST(QtDialogsTest, TheInputDialogGivesTheInitialTextWhenCancelled) {
  struct Case {
    bool accept;
    std::string expected;
  };
  for (const Case& c : {Case{false, "1234"}, Case{true, "98765"}}) {
    QString caption;
    QString prompt;
    TModalAnswerer answerer([&](QWidget* modal) {
      auto* dialog = qobject_cast<QInputDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      caption = dialog->windowTitle();
      prompt = dialog->labelText();
      dialog->setTextValue(QStringLiteral("98765"));
      c.accept ? dialog->accept() : dialog->reject();
    });
    EXPECT_EQ(TQtDialogs().InputQuery("Account", "Your account:", "1234"), c.expected);
    EXPECT_EQ(caption, "Account");
    EXPECT_EQ(prompt, "Your account:");
  }
}
