// Blit reaches the device-context copy of the seam with its arguments in
// place (the host side records the copy in the target's window).
#include "a_graph.h"
#include "host_control.h"
#include "lib_test.h"

namespace {

using testsupport::LibTest;

class DrawHostTest : public LibTest {
 protected:
  void TearDown() override {
    plat::host::ResetUi();
    LibTest::TearDown();
  }
  static intptr_t IgnoreMessages(void*, plat::Window, unsigned, uintptr_t, intptr_t) { return 0; }
};

TEST_F(DrawHostTest, BlitCopiesTheSourceRectangleToTheTarget) {
  plat::Window dialog = plat::CreateDialogFromTemplate(nullptr, 101, nullptr, IgnoreMessages, nullptr);
  ASSERT_NE(dialog, nullptr);
  plat::Window bar = plat::GetDialogItem(dialog, 1009);
  plat::DrawContext* target = plat::GetWindowContext(dialog);
  plat::DrawContext* source = plat::GetWindowContext(bar);
  ASSERT_NE(target, nullptr);
  ASSERT_NE(source, nullptr);

  Blit(target, 10, 20, source, 30, 40, 50, 60);
  Blit(nullptr, 1, 1, source, 0, 0, 1, 1);
  Blit(target, 1, 1, nullptr, 0, 0, 1, 1);

  const plat::host::HostWindow* w = plat::host::AsHostWindow(dialog);
  ASSERT_EQ(w->copies.size(), 1u) << "a null context copies nothing";
  const plat::host::CopiedRect& c = w->copies[0];
  EXPECT_EQ(c.source, plat::host::AsHostWindow(bar));
  EXPECT_EQ(c.x, 10);
  EXPECT_EQ(c.y, 20);
  EXPECT_EQ(c.sourceX, 30);
  EXPECT_EQ(c.sourceY, 40);
  EXPECT_EQ(c.width, 50);
  EXPECT_EQ(c.height, 60);
  EXPECT_TRUE(plat::host::AsHostWindow(bar)->copies.empty());
  plat::ReleaseWindowContext(bar, source);
  plat::ReleaseWindowContext(dialog, target);
  plat::DestroyWindow(dialog);
}

}  // namespace
