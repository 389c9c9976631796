#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "sim/DrawingJson.h"
#include "sim/Json.h"
#include "sim/Session.h"

namespace orbelle::sim {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

// The window side: what the person does while the host waits is queued as actions.
class FakePlatform : public HostPlatform {
 public:
  std::int64_t windowHandle() override { return 0x10A4E; }
  void redraw() override {}
  void waitUntil(const std::function<bool()>& done) override {
    while (!done()) {
      if (user.empty())
        throw std::runtime_error("the host would wait forever");
      auto next = std::move(user.front());
      user.erase(user.begin());
      next();
    }
  }
  void savePicture(const std::wstring& path) override { pictures.push_back(path); }
  void close() override { closed = true; }
  void revokeClassObject() override { revoked = true; }

  std::vector<std::function<void()>> user;
  std::vector<std::wstring> pictures;
  bool closed = false;
  bool revoked = false;
};

class MemoryLog : public LogSink {
 public:
  void write(const std::string& line) override { lines.push_back(line); }
  std::vector<json::Value> parsed() const {
    std::vector<json::Value> out;
    for (const auto& l : lines)
      out.push_back(json::parse(l));
    return out;
  }
  // The lines of one kind, as parsed objects.
  std::vector<json::Value> of(const std::string& kind) const {
    std::vector<json::Value> out;
    for (const auto& v : parsed()) {
      if (std::get<std::string>(v.find("kind")->data) == kind)
        out.push_back(v);
    }
    return out;
  }
  std::vector<std::string> lines;
};

std::string text(const json::Value& v, const char* key) {
  return std::get<std::string>(v.find(key)->data);
}
double number(const json::Value& v, const char* key) {
  return std::get<double>(v.find(key)->data);
}

Drawing demo() {
  Drawing d;
  Entity square;
  square.type = EntityType::Polyline;
  square.points = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
  square.closed = true;
  square.handle = 0x2A;
  d.add(square);
  Entity t;
  t.type = EntityType::Text;
  t.handle = 0x2B;
  t.text = L"ABC";
  t.points = {{1, 2, 0}, {4, 2, 0}};
  d.add(t);
  Entity m;
  m.type = EntityType::MText;
  m.handle = 0x2C;
  m.text = L"multi";
  m.points = {{5, 5, 0}};
  d.add(m);
  return d;
}

class SessionTest : public ::testing::Test {
 protected:
  void start(const std::string& script = {}) {
    session = std::make_unique<Session>(demo(), parseScript(script), log, platform);
    session->ready(L"nanoCAD 5");
  }
  Value call(const ObjectRef& object, const wchar_t* member, std::vector<Argument> arguments = {},
             int flags = kMethod | kGet) {
    return decode(session->call(*object, member, flags, arguments));
  }
  ObjectRef object(const Value& v) { return std::get<ObjectRef>(v); }
  ObjectRef document() { return object(call(session->createApplication(), L"ActiveDocument")); }
  ObjectRef utility() { return object(call(document(), L"Utility")); }
  bool quiescent() {
    const ObjectRef link = object(call(document(), L"Application"));
    return std::get<bool>(call(object(call(link, L"GetState")), L"IsQuiescent"));
  }
  std::int32_t failure(const std::function<void()>& action) {
    try {
      action();
    } catch (const AutomationError& e) {
      return e.status();
    }
    return 0;
  }

  FakePlatform platform;
  MemoryLog log;
  std::unique_ptr<Session> session;
};

TEST_F(SessionTest, EveryLogLineHasSeqKindAndTheLiveObjectCount) {
  start();
  {
    const ObjectRef application = session->createApplication();
    const ObjectRef doc = object(call(application, L"ActiveDocument"));
    call(doc, L"SendCommand", {{std::wstring(L"^C^C")}});
    EXPECT_EQ(session->live(), 2);
  }
  EXPECT_EQ(session->live(), 0);
  const auto lines = log.parsed();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(number(lines[i], "seq"), static_cast<double>(i + 1));
    ASSERT_NE(lines[i].find("live"), nullptr);
    // Microseconds on a monotonic clock: never back in time.
    ASSERT_NE(lines[i].find("us"), nullptr);
    EXPECT_GE(number(lines[i], "us"), i == 0 ? 0.0 : number(lines[i - 1], "us"));
  }
  EXPECT_EQ(text(lines[0], "kind"), "ready");
  EXPECT_EQ(number(lines[0], "hwnd"), 0x10A4E);
  EXPECT_EQ(text(log.of("create")[0], "object"), "Application");
  const auto received = log.of("command")[0];
  EXPECT_EQ(text(received, "event"), "received");
  EXPECT_EQ(text(received, "text"), "^C^C");
  EXPECT_THAT(log.lines, Contains(HasSubstr(R"("text":"^C^C")")));
  const auto released = log.of("released");
  ASSERT_EQ(released.size(), 2u);
  EXPECT_EQ(number(released.back(), "live"), 0);
}

// What a client's GetIDsOfNames asks: one line each, found or not, so that a client's round
// trips (lookups and calls) can be counted from the log.
TEST_F(SessionTest, EveryNameLookupIsALineOfItsOwn) {
  start();
  const ObjectRef application = session->createApplication();
  EXPECT_EQ(session->memberId(*application, L"hwnd"), 2);
  EXPECT_EQ(session->memberId(*application, L"Nothing"), 0);
  const auto lookups = log.of("lookup");
  ASSERT_EQ(lookups.size(), 2u);
  EXPECT_EQ(text(lookups[0], "object"), "Application");
  EXPECT_EQ(number(lookups[0], "id"), number(log.of("create")[0], "id"));
  EXPECT_EQ(text(lookups[0], "name"), "hwnd");
  EXPECT_EQ(number(lookups[0], "dispid"), 2);
  EXPECT_EQ(text(lookups[1], "name"), "Nothing");
  EXPECT_EQ(number(lookups[1], "dispid"), kUnknownDispid);
  // A call by name inside the host is no client's lookup.
  call(application, L"HWND");
  EXPECT_EQ(log.of("lookup").size(), 2u);
}

TEST_F(SessionTest, ScriptedAnswersReachGetPointGetRealAndGetEntityBitForBit) {
  start("point 0.1,-3,7.5\nnumber 30\npick 2B\npick none\n");
  const ObjectRef input = utility();
  const Value point = call(input, L"GetPoint", {{Missing{}}, {std::wstring(L"1点目 : ")}});
  EXPECT_EQ(std::get<std::vector<double>>(point), (std::vector<double>{0.1, -3, 7.5}));
  EXPECT_EQ(std::get<double>(call(input, L"GetReal", {{std::wstring(L"角度")}})), 30);
  std::vector<Argument> out{{{}, true}, {{}, true}, {std::wstring(L"TEXT を指示 : ")}};
  session->call(*input, L"GetEntity", kMethod | kGet, out);
  ASSERT_TRUE(out[0].output && std::holds_alternative<ObjectRef>(*out[0].output));
  EXPECT_EQ(std::get<ObjectRef>(*out[0].output)->handle(), Handle{0x2B});
  EXPECT_EQ(std::get<std::vector<double>>(*out[1].output), (std::vector<double>{1, 2, 0}));
  std::vector<Argument> none{{{}, true}, {{}, true}};
  session->call(*input, L"GetEntity", kMethod | kGet, none);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(*none[0].output));
  // The log shows the missing argument, the prompt, and the answers used.
  EXPECT_THAT(log.lines, Contains(HasSubstr(R"("args":[{"missing":true},"1点目 : "])")));
  EXPECT_THAT(log.lines, Contains(HasSubstr(R"("result":[0.1,-3,7.5])")));
  EXPECT_EQ(log.of("answer").size(), 4u);
  ASSERT_EQ(log.of("waiting").size(), 4u);
  EXPECT_EQ(text(log.of("waiting")[0], "source"), "GetPoint");
  EXPECT_EQ(text(log.of("waiting")[2], "source"), "GetEntity");
}

TEST_F(SessionTest, EscapeFailsThePendingCallAndCancelsAWaitingCommand) {
  start();
  const ObjectRef input = utility();
  platform.user.push_back([&] { session->keyEscape(true); });
  EXPECT_EQ(failure([&] {
              call(input, L"GetPoint", {{Missing{}}, {std::wstring(L"p")}});
            }),
            kAborted);
  const auto failed = log.of("fail");
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(text(failed[0], "status"), "0x80020009");
  EXPECT_THAT(text(failed[0], "message"), HasSubstr("Escape"));
  EXPECT_EQ(log.of("key").size(), 1u);

  call(document(), L"SendCommand", {{std::wstring(L"SELECT\r")}});
  EXPECT_FALSE(quiescent());
  session->keyEscape(true);
  session->keyEscape(false);
  EXPECT_TRUE(quiescent());
  EXPECT_THAT(log.lines, Contains(HasSubstr(R"("event":"cancelled","command":"SELECT")")));
}

TEST_F(SessionTest, IsQuiescentIsFalseWhileSelectOrMoveWaitsForTheUser) {
  start();
  const ObjectRef doc = document();
  EXPECT_TRUE(quiescent());
  call(doc, L"SendCommand", {{std::wstring(L"SELECT\r")}});
  EXPECT_FALSE(quiescent());
  session->pointAt({10, 5, 0}, Handle{0x2A});  // a click on the square
  EXPECT_FALSE(quiescent());
  session->endPicking();
  EXPECT_TRUE(quiescent());
  EXPECT_EQ(session->drawing().previousSelection, std::vector<Handle>{0x2A});
  call(doc, L"SendCommand", {{std::wstring(L"move\rP\r\r0,0\r")}});
  EXPECT_FALSE(quiescent());
  session->pointAt({3, 4, 0}, std::nullopt);
  EXPECT_TRUE(quiescent());
  EXPECT_EQ(session->drawing().find(0x2A)->points[0], (Vec3{3, 4, 0}));
}

TEST_F(SessionTest, WaitCommandHoldsTheNextAnswerUntilThatExactStringArrives) {
  start("wait-command \"^C-VIEW SWISO ZOOM E\\r\"\nselect 2A\n");
  const ObjectRef doc = document();
  call(doc, L"SendCommand", {{std::wstring(L"SELECT\r")}});
  EXPECT_FALSE(quiescent()) << "the selection is held";
  call(doc, L"SendCommand", {{std::wstring(L"^C-VIEW SEISO ZOOM E\r")}});
  EXPECT_EQ(session->drawing().view.kind, ViewKind::SouthEastIso);
  call(doc, L"SendCommand", {{std::wstring(L"SELECT\r")}});
  EXPECT_FALSE(quiescent()) << "still held: that was not the string";
  call(doc, L"SendCommand", {{std::wstring(L"^C-VIEW SWISO ZOOM E\r")}});
  EXPECT_TRUE(quiescent()) << "^C cancelled the SELECT; the released answer waits for a request";
  call(doc, L"SendCommand", {{std::wstring(L"SELECT\r")}});
  EXPECT_TRUE(quiescent()) << "the held selection answered the new SELECT";
  EXPECT_EQ(session->drawing().previousSelection, std::vector<Handle>{0x2A});
}

// A host about to be killed withdraws its class object first, once a client waits on it; the
// request is left waiting for the kill.
TEST_F(SessionTest, RevokeWaitsForARequestThenWithdrawsTheClassAndLeavesTheRequest) {
  start("revoke\nselect 2A\n");
  EXPECT_FALSE(platform.revoked) << "nothing asked yet";
  const ObjectRef doc = document();
  call(doc, L"SendCommand", {{std::wstring(L"SELECT\r")}});
  EXPECT_TRUE(platform.revoked);
  const auto events = log.of("script");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(text(events[0], "event"), "revoked");
  EXPECT_EQ(number(events[0], "line"), 1);
  EXPECT_TRUE(quiescent()) << "the next step answered the SELECT left waiting";
}

TEST_F(SessionTest, AStepThatDoesNotFitThePendingRequestStopsTheScript) {
  start("number 3\npoint 1,1\n");
  const ObjectRef input = utility();
  platform.user.push_back([&] { session->keyEscape(true); });
  EXPECT_EQ(failure([&] { call(input, L"GetPoint", {}); }), kAborted);
  const auto errors = log.of("script");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(number(errors[0], "line"), 1);
  EXPECT_THAT(text(errors[0], "message"), HasSubstr("does not answer the point request"));
  EXPECT_THAT(session->history(), Contains(HasSubstr(L"Script line 1")));
  // The script stays stopped: the next point request is not answered by line 2.
  platform.user.push_back([&] { session->typeKey(L'9'); });
  platform.user.push_back([&] { session->typeKey(L','); });
  platform.user.push_back([&] { session->typeKey(L'8'); });
  platform.user.push_back([&] { session->typeKey(L'\r'); });
  EXPECT_EQ(std::get<std::vector<double>>(call(input, L"GetPoint", {})),
            (std::vector<double>{9, 8, 0}));
}

TEST_F(SessionTest, TextMembersReadAndWriteExactlyAndOnlyTextsAreIAcadText) {
  start("pick 2B\n");
  std::vector<Argument> out{{{}, true}, {{}, true}};
  session->call(*utility(), L"GetEntity", kMethod | kGet, out);
  const ObjectRef text = std::get<ObjectRef>(*out[0].output);
  EXPECT_THAT(text->interfaces(), Contains(Interface::Text));
  EXPECT_EQ(std::get<std::wstring>(call(text, L"ObjectName")), L"AcDbText");
  call(text, L"Height", {{0.86602539649920688}}, kPut);
  call(text, L"ScaleFactor", {{1.154700548092894}}, kPut);
  call(text, L"Rotation", {{5.759586334228515625}}, kPut);
  call(text, L"ObliqueAngle", {{0.52359879016876220703125}}, kPut);
  EXPECT_EQ(std::get<double>(call(text, L"height")), 0.86602539649920688);
  EXPECT_EQ(std::get<double>(call(text, L"Rotation")), 5.759586334228515625);
  EXPECT_EQ(std::get<double>(call(text, L"ObliqueAngle")), 0.52359879016876220703125);
  EXPECT_EQ(session->drawing().find(0x2B)->widthFactor, 1.154700548092894);
  EXPECT_EQ(std::get<std::int32_t>(call(text, L"Alignment")), 0);
  EXPECT_EQ(std::get<std::vector<double>>(call(text, L"TextAlignmentPoint")),
            (std::vector<double>{4, 2, 0}));
  EXPECT_EQ(failure([&] { call(text, L"Height", {{-1.0}}, kPut); }), kInvalidArgument);
  EXPECT_EQ(failure([&] { call(text, L"Height", {{std::wstring(L"x")}}, kPut); }), kTypeMismatch);
  EXPECT_EQ(failure([&] { call(text, L"ObjectName", {{std::wstring(L"x")}}, kPut); }),
            kMemberNotFound);

  const ObjectRef mtext = makeEntity(*session, canonicalDialect(), 0x2C);
  EXPECT_THAT(mtext->interfaces(), ::testing::Not(Contains(Interface::Text)));
  EXPECT_THAT(mtext->interfaces(), Contains(Interface::Entity));
  EXPECT_EQ(std::get<std::wstring>(call(mtext, L"ObjectName")), L"AcDbMText");
  EXPECT_EQ(mtext->memberId(L"ObliqueAngle"), 0);
}

TEST_F(SessionTest, SelectionSetCopyAndRotate3D) {
  start("select 2A 2B\n");
  const ObjectRef set = object(call(document(), L"ActiveSelectionSet"));
  call(set, L"Clear");
  call(set, L"SelectOnScreen", {{Missing{}}, {Missing{}}});
  EXPECT_EQ(std::get<std::int32_t>(call(set, L"Count")), 2);
  const ObjectRef first = object(call(set, L"Item", {{std::int32_t{0}}}));
  EXPECT_EQ(first->handle(), Handle{0x2A});
  EXPECT_EQ(failure([&] { call(set, L"Item", {{std::int32_t{2}}}); }), kInvalidArgument);
  EXPECT_EQ(failure([&] {
              call(set, L"SelectOnScreen", {{std::int32_t{0}}, {Missing{}}});
            }),
            kInvalidArgument);

  const ObjectRef copy = object(call(first, L"Copy"));
  EXPECT_EQ(session->drawing().lastObject, copy->handle());
  EXPECT_NE(copy->handle(), first->handle());
  const std::vector<double> p1{0, 0, 0}, p2{0, 0, 1};
  call(copy, L"Rotate3D", {{p1}, {std::vector<double>{1, 0, 0}}, {3.141592653589793 / 2}});
  const Vec3 corner = session->drawing().find(*copy->handle())->points[1];
  EXPECT_NEAR(corner.z, 0, 1e-12);
  EXPECT_NEAR(corner.x, 10, 1e-12);
  call(copy, L"Rotate3D", {{p1}, {std::vector<double>{0, 1, 0}}, {3.141592653589793 / 2}});
  EXPECT_NEAR(session->drawing().find(*copy->handle())->points[1].z, -10, 1e-12);
  EXPECT_EQ(failure([&] { call(copy, L"Rotate3D", {{p1}, {p1}, {1.0}}); }), kInvalidArgument);
  EXPECT_EQ(failure([&] { call(copy, L"Rotate3D", {{p1}, {p2}}); }), kBadParamCount);
  call(set, L"Clear");
  EXPECT_EQ(std::get<std::int32_t>(call(set, L"Count")), 0);
}

TEST_F(SessionTest, CallsWithWrongArgumentsAreRefusedAsIDispatchRefusesThem) {
  start();
  const ObjectRef doc = document();
  EXPECT_EQ(failure([&] { call(doc, L"SendCommand", {{std::int32_t{42}}}); }), kTypeMismatch);
  EXPECT_EQ(failure([&] { call(doc, L"SendCommand", {}); }), kBadParamCount);
  EXPECT_EQ(failure([&] {
              std::vector<Argument> in{{{}}, {{}}};
              session->call(*utility(), L"GetEntity", kMethod, in);
            }),
            kTypeMismatch);
  EXPECT_EQ(failure([&] {
              call(utility(), L"GetPoint", {{std::vector<double>{1, 2}}});
            }),
            kInvalidArgument);
  const auto fails = log.of("fail");
  ASSERT_EQ(fails.size(), 4u);
  EXPECT_EQ(text(fails[0], "status"), "0x80020005");
  EXPECT_EQ(session->live(), 1) << "only the document this test holds";
}

TEST_F(SessionTest, EachConnectionSpeaksTheDialectItWasMadeInAndTheLogSaysHow) {
  start("dialect by-reference\npick 2B\n");
  const ObjectRef byRef = session->createApplication();
  session->setDialect(canonicalDialect());  // for connections made from now on
  const ObjectRef canonical = session->createApplication();
  std::vector<Argument> none;
  EXPECT_EQ(session->call(*byRef, L"HWND", kGet, none).type, vt::ByRef | vt::I4);
  EXPECT_EQ(session->call(*canonical, L"HWND", kGet, none).type, vt::I4);
  // Objects reached from a connection keep its dialect, out parameters too.
  const WireValue doc = session->call(*byRef, L"ActiveDocument", kGet, none);
  ASSERT_EQ(doc.type, vt::ByRef | vt::Dispatch);
  const WireValue input = session->call(*doc.object, L"Utility", kGet, none);
  EXPECT_EQ(input.object->dialect().name, "by-reference");
  WireValue outSlot;
  outSlot.type = vt::ByRef | vt::Variant;
  outSlot.elements = {WireValue{}};
  WireValue prompt;
  prompt.type = vt::Bstr;
  prompt.text = L"TEXT を指示 : ";
  std::vector<Argument> out{argumentFrom(outSlot), argumentFrom(outSlot), argumentFrom(prompt)};
  session->call(*input.object, L"GetEntity", kMethod | kGet, out);
  ASSERT_TRUE(out[0].reply && out[1].reply);
  EXPECT_EQ(out[0].reply->type, vt::ByRef | vt::Dispatch);
  EXPECT_EQ(out[1].reply->type, vt::ByRef | vt::Array | vt::R8);
  EXPECT_EQ(decode(*out[1].reply), Value(std::vector<double>{1, 2, 0}));

  EXPECT_EQ(text(log.of("ready")[0], "dialect"), "canonical");
  EXPECT_EQ(text(log.of("script")[0], "event"), "dialect");
  const auto created = log.of("create");
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(text(created[0], "dialect"), "by-reference");
  EXPECT_EQ(text(created[1], "dialect"), "canonical");
  EXPECT_THAT(log.lines,
              Contains(HasSubstr(R"j("args":[{"out":true},{"out":true},"TEXT を指示 : "],)j"
                                 R"j("encodings":["VT_BYREF|VT_VARIANT(VT_EMPTY)",)j"
                                 R"j("VT_BYREF|VT_VARIANT(VT_EMPTY)","VT_BSTR"])j")));
  EXPECT_THAT(log.lines,
              Contains(HasSubstr(R"j("out":[{"object":"Entity","id":5,"handle":"2B"},[1,2,0]],)j"
                                 R"j("outEncodings":["VT_BYREF|VT_DISPATCH",)j"
                                 R"j("VT_BYREF|VT_ARRAY|VT_R8[0..2]"])j")));
  EXPECT_THAT(log.lines,
              Contains(HasSubstr(R"j("member":"HWND","result":68174,"encoding":"VT_I4")j")));
}

TEST_F(SessionTest, SaveStepsWriteTheDrawingAndThePictureWhenReached) {
  const auto folder = std::filesystem::temp_directory_path() / "orbelle-sim-test";
  std::filesystem::create_directories(folder);
  const auto path = (folder / "saved.json").string();
  start("save-json " + path + "\nsave-png shot.png\nsave-json /no/such/folder/x.json\n");
  std::ifstream file(path);
  std::stringstream content;
  content << file.rdbuf();
  const Drawing back = loadDrawing(content.str());
  EXPECT_EQ(back.entities().size(), 3u);
  EXPECT_EQ(platform.pictures, std::vector<std::wstring>{L"shot.png"});
  EXPECT_EQ(log.of("saved").size(), 2u);
  const auto errors = log.of("script");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(number(errors[0], "line"), 3);
  EXPECT_THAT(text(errors[0], "message"), HasSubstr("cannot write"));
  std::filesystem::remove_all(folder);
}

// What the window highlights of the automation selection set: the objects picked while
// SelectOnScreen waits, then the set's objects until its client clears it or Escape cancels.
TEST_F(SessionTest, TheSelectionSetIsHighlightedUntilClearedOrCancelled) {
  start();
  const ObjectRef set = object(call(document(), L"ActiveSelectionSet"));
  const auto selectBoth = [&] {
    platform.user.push_back([&] {
      session->pointAt({10, 5, 0}, Handle{0x2A});
      EXPECT_THAT(session->highlighted(), ::testing::ElementsAre(0x2A));
      EXPECT_EQ(session->history().back(), L"1 found, 1 total");
    });
    platform.user.push_back([&] { session->pointAt({1, 2, 0}, Handle{0x2B}); });
    platform.user.push_back([&] { session->endPicking(); });
    call(set, L"SelectOnScreen", {{Missing{}}, {Missing{}}});
  };
  selectBoth();
  EXPECT_EQ(session->history().back(), L"1 found, 2 total");
  EXPECT_THAT(session->highlighted(), ::testing::ElementsAre(0x2A, 0x2B));
  call(set, L"Clear");
  EXPECT_TRUE(session->highlighted().empty());
  // Escape while nothing is asked takes the highlight away and leaves the set as it is.
  selectBoth();
  session->keyEscape(true);
  EXPECT_TRUE(session->highlighted().empty());
  EXPECT_EQ(std::get<std::int32_t>(call(set, L"Count")), 2);
  call(set, L"Clear");
  selectBoth();
  EXPECT_THAT(session->highlighted(), ::testing::ElementsAre(0x2A, 0x2B)) << "a new selection";
}

// Release 24's application lives in the Running Object Table for the host's life: no client made
// it, so the live count a test waits to see return to 0 leaves it out.
TEST_F(SessionTest, TheResidentApplicationCountsInNoLiveCountAndLogsNoCreateOrRelease) {
  start();
  ObjectRef resident = session->residentApplication();
  EXPECT_EQ(session->live(), 0);
  {
    const ObjectRef doc = object(call(resident, L"ActiveDocument"));
    EXPECT_EQ(session->live(), 1) << "what it hands out is a client's";
    EXPECT_EQ(number(log.of("return").back(), "live"), 1);
  }
  EXPECT_EQ(session->live(), 0);
  resident.reset();
  EXPECT_EQ(session->live(), 0) << "its end takes nothing from the count";
  EXPECT_TRUE(log.of("create").empty());
  const auto released = log.of("released");
  ASSERT_EQ(released.size(), 1u);
  EXPECT_EQ(text(released[0], "object"), "Document");
  const auto calls = log.of("call");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(text(calls[0], "object"), "Application");
}

// A session whose objects the type library dispatches, as main makes it for --dispatch
// type-library: the encoding set before the host is ready.
class TypeLibrarySessionTest : public SessionTest {
 protected:
  void startTyped(const std::string& script = {}, HostIdentity identity = {}) {
    session = std::make_unique<Session>(demo(), parseScript(script), log, platform);
    session->setDialect(typeLibraryEncoding());
    session->ready(identity);
  }
};

TEST_F(SessionTest, TheReadyLineSaysTheReleaseTheDispatchAndWhatWasRegistered) {
  start();
  const auto hand = log.of("ready").at(0);
  EXPECT_EQ(text(hand, "release"), "5");
  EXPECT_EQ(text(hand, "dispatch"), "hand");
  EXPECT_EQ(text(hand, "dialect"), "canonical");
  EXPECT_TRUE(hand.find("programIds")->array().empty());
}

TEST_F(TypeLibrarySessionTest, TheReadyLineSaysTheReleaseTheDispatchAndWhatWasRegistered) {
  startTyped({}, {.title = L"nanoCAD 26 (test)",
                  .release = "26.0",
                  .classId = L"{6E3B1C0A-26AA-4C3B-9D2E-00000000002F}",
                  .programIds = {L"nanoCAD.Application.26.0", L"nanoCAD.Application"}});
  const auto ready = log.of("ready").at(0);
  EXPECT_EQ(text(ready, "title"), "nanoCAD 26 (test)");
  EXPECT_EQ(text(ready, "release"), "26.0");
  EXPECT_EQ(text(ready, "dispatch"), "type-library");
  EXPECT_EQ(text(ready, "dialect"), "type-library");
  EXPECT_EQ(text(ready, "classId"), "{6E3B1C0A-26AA-4C3B-9D2E-00000000002F}");
  const auto& ids = ready.find("programIds")->array();
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_EQ(std::get<std::string>(ids[0].data), "nanoCAD.Application.26.0");
  EXPECT_EQ(std::get<std::string>(ids[1].data), "nanoCAD.Application");

  session->programIdSkipped(L"nanoCAD.Application", L"{0D7A3D22-5B1E-4C59-8E53-3F1A90C7B001}");
  const auto skipped = log.of("registration").at(0);
  EXPECT_EQ(text(skipped, "event"), "skipped");
  EXPECT_EQ(text(skipped, "programId"), "nanoCAD.Application");
  EXPECT_EQ(text(skipped, "classId"), "{0D7A3D22-5B1E-4C59-8E53-3F1A90C7B001}");
}

// ITypeInfo::Invoke turns every failing result into DISP_E_EXCEPTION with the status as scode:
// the log says what the client gets, argument refusals of the host's included. What the
// library refuses before a member runs, and its lookups, are lines of their own.
TEST_F(TypeLibrarySessionTest, EveryFailureIsLoggedAsTheExceptionTheClientGets) {
  startTyped();
  const ObjectRef application = session->createApplication();
  EXPECT_EQ(text(log.of("create").at(0), "dialect"), "type-library");
  const ObjectRef doc = object(call(application, L"ActiveDocument"));
  EXPECT_EQ(failure([&] { call(doc, L"SendCommand", {{std::int32_t{42}}}); }), kTypeMismatch);
  const auto fail = log.of("fail").at(0);
  EXPECT_EQ(text(fail, "status"), "0x80020009");
  EXPECT_EQ(text(fail, "scode"), "0x80020005");

  session->lookedUp(*application, L"hwnd", 0x2C);
  const auto lookup = log.of("lookup").at(0);
  EXPECT_EQ(text(lookup, "name"), "hwnd");
  EXPECT_EQ(number(lookup, "dispid"), 0x2C);
  session->refused(*application, L"HWND", kMemberNotFound);
  const auto refused = log.of("fail").at(1);
  EXPECT_EQ(text(refused, "member"), "HWND");
  EXPECT_EQ(text(refused, "status"), "0x80020003");
  EXPECT_EQ(text(refused, "scode"), "0x80020003");
  EXPECT_EQ(number(refused, "id"), number(lookup, "id"));
}

TEST_F(TypeLibrarySessionTest, ItKeepsItsEncodingAndADialectStepButCanonicalStopsTheScript) {
  startTyped("dialect canonical\ndialect by-reference\n");
  std::vector<Argument> none;
  EXPECT_EQ(session->call(*session->createApplication(), L"HWND", kGet, none).type, vt::I8);
  EXPECT_EQ(text(log.of("create").at(0), "dialect"), "type-library");
  const auto steps = log.of("script");
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(text(steps[0], "event"), "dialect");
  EXPECT_EQ(text(steps[1], "event"), "error");
  EXPECT_EQ(number(steps[1], "line"), 2);
  EXPECT_THAT(text(steps[1], "message"), HasSubstr("no dialect but canonical"));
}

}  // namespace
}  // namespace orbelle::sim
