// Objects and references: made and freed on the scripted client, which knows object types;
// refused by the engine, which has none, and by the release 7 interface.
#include "oracle/oracle_object.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "oracle/e_oracle_error.h"
#include "oracle/oracle_reference.h"
#include "oracle/oracle_session.h"
#include "oracle/testing/connected_engine_test.h"
#include "oracle/testing/scripted_client_test.h"
#include "oracle/testing/session_test_support.h"
#include "platform/testing/error_text.h"

namespace qm {
namespace {

using testing::ErrorText;
using V = std::vector<std::string>;

class ScriptedObjectTest : public testing::ScriptedClientTest {
 protected:
  void SetUp() override {
    ScriptedClientTest::SetUp();
    testing::SetLogon(session_, "scott", "tiger", "ORA80");
    session_.LogOn();
    Reset();
  }
  void TearDown() override { session_.LogOff(); }

  TOracleSession session_;
};

TEST_F(ScriptedObjectTest, AnObjectAndAReferenceAreMadeForTheirTypeAndFreedWithTheirObjects) {
  {
    TOracleObject point(&session_, "SCOTT.POINT");
    TOracleReference ref(&session_, "POINT");
    // The object is an instance of its type with its null structure; the reference is made
    // without the type but keeps it for its binds.
    EXPECT_EQ(Calls(), (V{"OCIHandleAlloc(2)", "OCITypeByName(SCOTT,POINT)",
                          "OCIObjectNew(108,TPOINT)", "OCIObjectGetInd(I1)", "OCIHandleAlloc(2)",
                          "OCITypeByName(,POINT)", "OCIObjectNew(110,-)"}));
    EXPECT_EQ(point.TypeName(), "SCOTT.POINT");
    EXPECT_NE(point.Instance(), nullptr);
    EXPECT_NE(point.NullStructure(), nullptr);
    EXPECT_EQ(*point.InstanceAddress(), point.Instance());
    EXPECT_EQ(ref.TypeDescriptor(), point.TypeDescriptor());
    EXPECT_NE(static_cast<void*>(ref.Ref()), point.Instance());
    Reset();
  }
  EXPECT_EQ(Calls(),
            (V{"OCIObjectFree(I2)", "OCIHandleFree(2)", "OCIObjectFree(I1)", "OCIHandleFree(2)"}));

  // A logoff frees them first, for the cache goes with the session; afterwards they hold
  // nothing and their destruction calls nothing, even after a new logon.
  auto point = std::make_unique<TOracleObject>(&session_, "POINT");
  auto ref = std::make_unique<TOracleReference>(&session_, "POINT");
  Reset();
  session_.LogOff();
  const V calls = Calls();
  ASSERT_GE(calls.size(), 4u);  // then the session's own handles
  EXPECT_EQ(V(calls.begin(), calls.begin() + 4),
            (V{"OCIObjectFree(I1)", "OCIHandleFree(2)", "OCIObjectFree(I2)", "OCIHandleFree(2)"}));
  EXPECT_EQ(point->Instance(), nullptr);
  EXPECT_EQ(point->TypeDescriptor(), nullptr);
  EXPECT_EQ(point->NullStructure(), nullptr);
  EXPECT_EQ(ref->Ref(), nullptr);
  session_.LogOn();
  Reset();
  point.reset();
  ref.reset();
  EXPECT_EQ(Calls(), V{});

  // One that outlives its session forgets it.
  auto other = std::make_unique<TOracleSession>();
  testing::SetLogon(*other, "scott", "tiger", "ORA80");
  other->LogOn();
  point = std::make_unique<TOracleObject>(other.get(), "POINT");
  other.reset();
  Reset();
  point.reset();
  EXPECT_EQ(Calls(), V{});
}

TEST_F(ScriptedObjectTest, AFailureRaisesTheClientsErrorAndLeavesNothingAllocated) {
  const struct {
    const char* what;
    std::function<void()> make;
    int code;
    const char* text;
    V calls;
  } cases[] = {
      {"unknown type",
       [&] { TOracleObject(&session_, "SCOTT.NOSUCH"); },
       22303,
       "ORA-22303: type \"SCOTT\".\"NOSUCH\" not found\n",
       {"OCIHandleAlloc(2)", "OCITypeByName(SCOTT,NOSUCH)", "OCIHandleFree(2)"}},
      {"unknown type of a reference",
       [&] { TOracleReference(&session_, "NOSUCH"); },
       22303,
       "ORA-22303: type \"\".\"NOSUCH\" not found\n",
       {"OCIHandleAlloc(2)", "OCITypeByName(,NOSUCH)", "OCIHandleFree(2)"}},
      {"no null structure",
       [&] { TOracleObject(&session_, "NOIND"); },
       21700,
       "ORA-21700: object does not exist or is marked for delete\n",
       {"OCIHandleAlloc(2)", "OCITypeByName(,NOIND)", "OCIObjectNew(108,TNOIND)",
        "OCIObjectGetInd(I1)", "OCIObjectFree(I1)", "OCIHandleFree(2)"}},
  };
  for (const auto& c : cases) {
    Reset();
    try {
      c.make();
      ADD_FAILURE() << c.what << ": no error";
    } catch (const EOracleError& e) {
      EXPECT_EQ(e.ErrorCode(), c.code) << c.what;
      EXPECT_STREQ(e.what(), c.text) << c.what;
    }
    EXPECT_EQ(Calls(), c.calls) << c.what;
  }
}

class ObjectOnEngineTest : public testing::ConnectedEngineInterfaceTest {};

TEST_P(ObjectOnEngineTest, TheEngineKnowsNoObjectTypeAndTheReleaseSevenInterfaceNoObject) {
  if (UseOCI7()) {
    EXPECT_EQ(ErrorText([&] { TOracleObject(&session_, "POINT"); }),
              "Object requires OCI8 mode, but OCI7 mode is used.");
    EXPECT_EQ(ErrorText([&] { TOracleReference(&session_, "POINT"); }),
              "Reference requires OCI8 mode, but OCI7 mode is used.");
    return;
  }
  const struct {
    const char* name;
    const char* text;
  } cases[] = {{"POINT", "ORA-22303: type \"\".\"POINT\" not found\n"},
               {"SYSTEM.POINT", "ORA-22303: type \"SYSTEM\".\"POINT\" not found\n"}};
  for (const auto& c : cases) {
    try {
      TOracleObject object(&session_, c.name);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const EOracleError& e) {
      EXPECT_EQ(e.ErrorCode(), 22303) << c.name;
      EXPECT_STREQ(e.what(), c.text) << c.name;
    }
  }
  EXPECT_EQ(ErrorText([&] { TOracleReference(&session_, "POINT"); }),
            "ORA-22303: type \"\".\"POINT\" not found\n");
  EXPECT_EQ(ErrorText([] { TOracleObject(nullptr, "POINT"); }), "Object requires a session");
}

INSTANTIATE_TEST_SUITE_P(Interfaces, ObjectOnEngineTest, testing::BothInterfaces(),
                         testing::InterfaceName);

}  // namespace
}  // namespace qm
