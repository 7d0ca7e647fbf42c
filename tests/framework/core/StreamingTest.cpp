#include <gtest/gtest.h>

#include "TestClasses.h"
#include "framework/Streaming.h"
#include "platform/kernel/Kernel.h"

namespace {

const char* const kLayout = R"(object Form1: TTestRoot
  Caption = 'Vollversion registrieren'
  OnCreate = FormCreate
  object Panel1: TTestControl
    Left = 16
    Caption = 'f'#252'r '#39'alle'#39
    Visible = False
    Align = alClient
    Anchors = [akLeft, akTop, akRight]
    Color = 13531904
    Cursor = crHandPoint
    Ratio = 1.700000047683715820
    Scale = 2.500000000000000000
    URL = 'http://example.com/a b'
    Font.Name = 'Verdana'
    Font.Height = -13
    Font.Style = [fsBold, fsUnderline]
    Font.Color = clWhite
    OnClick = ButtonClick
    Buddy = Edit1
    object Edit1: TTestControl
      Ratio = 0.000000000000000000
      Color = clNone
    end
  end
  object Other: TTestControl
    Ratio = 10.000000000000000000
  end
end
)";

struct Loaded {
  TTestRoot root{nullptr};
  TLayoutError err;
  bool ok = false;
  explicit Loaded(const char* text) { ok = ReadComponentText(text, &root, &err); }
  TTestControl* Get(const char* name) {
    return dynamic_cast<TTestControl*>(root.FindComponent(name));
  }
};

}  // namespace

TEST(LayoutReader, BuildsTheTreeWithEveryKindOfValue) {
  Loaded l(kLayout);
  ASSERT_TRUE(l.ok) << l.err.line << ": " << l.err.message;
  EXPECT_EQ(l.root.Name(), "Form1");
  EXPECT_EQ(l.root.Caption(), u"Vollversion registrieren");
  TTestControl* p = l.Get("Panel1");
  TTestControl* e = l.Get("Edit1");
  ASSERT_TRUE(p && e);
  EXPECT_EQ(p->Left(), 16);
  EXPECT_EQ(p->Caption(), u"f\u00FCr 'alle'");
  EXPECT_FALSE(p->Visible());
  EXPECT_EQ(p->Align(), alClient);
  EXPECT_EQ(p->Anchors(), AnchorBit(akLeft) | AnchorBit(akTop) | AnchorBit(akRight));
  EXPECT_EQ(p->Color(), 13531904);
  EXPECT_EQ(p->Cursor(), crHandPoint);
  EXPECT_EQ(p->Ratio(), 1.7f);
  EXPECT_EQ(p->Scale(), 2.5);
  EXPECT_EQ(p->URL(), "http://example.com/a b");
  EXPECT_EQ(p->Font()->Name(), u"Verdana");
  EXPECT_EQ(p->Font()->Height(), -13);
  EXPECT_EQ(p->Font()->Style(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(p->Font()->Color(), clWhite);
  EXPECT_EQ(e->Color(), clNone);
  EXPECT_EQ(e->GetParentComponent(), p);
  EXPECT_EQ(p->GetParentComponent(), &l.root);  // top-level children are nested in the root
  EXPECT_EQ(e->Owner(), &l.root);
  EXPECT_EQ(p->Buddy(), e);  // a forward reference
  p->OnClick()(p);
  EXPECT_EQ(l.root.clicks, 1);
  l.root.OnCreate()(&l.root);
  EXPECT_EQ(l.root.created, 1);
}

TEST(LayoutReader, LoadedRunsOnceAtTheEndRootFirst) {
  Loaded l(kLayout);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.root.loadOrder, (std::vector<std::string>{"Form1", "Panel1", "Edit1", "Other"}));
  TTestControl* p = l.Get("Panel1");
  EXPECT_EQ(p->loadedCalls, 1);
  EXPECT_EQ(p->leftAtLoaded, 16);
  EXPECT_TRUE(p->loadingDuringSetters);  // Buddy was set while loading
  EXPECT_FALSE(p->IsLoading());
  EXPECT_FALSE(l.root.ComponentState() & (csLoading | csReading));
}

TEST(LayoutWriter, RoundTripIsStable) {
  Loaded l(kLayout);
  ASSERT_TRUE(l.ok);
  const std::string written = WriteComponentText(&l.root);
  Loaded again(written.c_str());
  ASSERT_TRUE(again.ok) << again.err.line << ": " << again.err.message << "\n" << written;
  EXPECT_EQ(WriteComponentText(&again.root), written);
  EXPECT_EQ(again.Get("Panel1")->Ratio(), 1.7f);
  EXPECT_EQ(again.Get("Panel1")->Caption(), u"f\u00FCr 'alle'");
}

TEST(LayoutWriter, WritesOnlyWhatDiffersFromDefaults) {
  TTestRoot root(nullptr);
  root.SetName("Form1");
  auto* c = new TTestControl(&root);
  c->SetName("Label1");
  c->SetLeft(3);
  c->SetCaption(u"It's \u20AC5\r\n");
  c->SetRatio(0.1f);
  c->Font()->SetStyle(TFontStyles{fsItalic});
  EXPECT_EQ(WriteComponentText(&root),
            "object Form1: TTestRoot\n"
            "  object Label1: TTestControl\n"
            "    Left = 3\n"
            "    Caption = 'It''s '#8364'5'#13#10\n"
            "    Ratio = 0.100000001490116119\n"
            "    Font.Style = [fsItalic]\n"
            "  end\n"
            "end\n");
}

TEST(LayoutReader, StringsJoinAcrossLinesAndCodes) {
  Loaded l(
      "object F: TTestRoot\n"
      "  Caption = 'Kostenlose Registrierung f'#252'r die <br>' +\n"
      "    '<b>Vollversion</b>'#$20AC\n"
      "end\n");
  ASSERT_TRUE(l.ok) << l.err.message;
  EXPECT_EQ(l.root.Caption(),
            u"Kostenlose Registrierung f\u00FCr die <br><b>Vollversion</b>\u20AC");
}

TEST(LayoutReader, ErrorsNameTheirLine) {
  struct Case {
    const char* text;
    int line;
    const char* words;  // part of the message
  } cases[] = {
      {"object F: TTestRoot\n  Nope = 1\nend\n", 2, "unknown property Nope"},
      {"object F: TTestRoot\n\n  object A: TNoSuchClass\n  end\nend\n", 3,
       "unknown class TNoSuchClass"},
      {"object F: TTestRoot\n  object A: TComponent\n  end\nend\n", 2, "cannot be created"},
      {"object F: TOtherRoot\nend\n", 1, "not a TOtherRoot"},
      {"object F: TTestRoot\n  object A: TTestControl\n    Align = alMiddle\n  end\nend\n", 3,
       "alMiddle"},
      {"object F: TTestRoot\n  object A: TTestControl\n    Visible = 1\n  end\nend\n", 3,
       "True or False"},
      {"object F: TTestRoot\n  object A: TTestControl\n    Anchors = [akLeft, akNowhere]\n  "
       "end\nend\n",
       3, "akNowhere"},
      {"object F: TTestRoot\n  object A: TTestControl\n    Left = 99999999999\n  end\nend\n", 3,
       "out of range"},
      {"object F: TTestRoot\n  object A: TTestControl\n    Cursor = 70000\n  end\nend\n", 3,
       "out of range"},
      {"object F: TTestRoot\n  object A: TTestControl\n    Left = 'x'\n  end\nend\n", 3, "integer"},
      {"object F: TTestRoot\n  Caption = 'open\nend\n", 2, "unterminated"},
      {"object F: TTestRoot\n  OnCreate = NoSuchMethod\nend\n", 2, "unknown method NoSuchMethod"},
      {"object F: TTestRoot\n  OnCreate = WrongType\nend\n", 2, "does not fit"},
      {"object F: TTestRoot\n  object A: TTestControl\n  end\n  object a: TTestControl\n  "
       "end\nend\n",
       4, "exists already"},
      {"object F: TTestRoot\n  object A: TTestControl\n    Buddy = Missing\n  end\nend\n", 3,
       "unknown component Missing"},
      {"object F: TTestRoot\n  object A: TTestControl\n    Font = 3\n  end\nend\n", 3,
       "is an object"},
      {"object F: TTestRoot\n  object A: TTestControl\n    Font.Size = 3\n  end\nend\n", 3,
       "unknown property Size of TTestFont"},
      {"object F: TTestRoot\n  object A: TTestControl\n", 3, "missing \"end\""},
      {"object F: TTestRoot\nend\nend\n", 3, "after the final"},
      {"object F: TTestRoot\n  Caption = 'a' 'b'\nend\n", 2, "end of the line"},
      {"object F: TTestRoot\n  Caption = #70000\nend\n", 2, "character code"},
      {"object F: TTestRoot\n  Caption \xC3\xA4 = 'x'\nend\n", 2, "unexpected character"},
      {"", 1, "no object"},
  };
  for (const Case& c : cases) {
    Loaded l(c.text);
    EXPECT_FALSE(l.ok) << c.text;
    EXPECT_EQ(l.err.line, c.line) << c.text << "\n" << l.err.message;
    EXPECT_NE(l.err.message.find(c.words), std::string::npos) << c.text << "\n" << l.err.message;
  }
}

TEST(LayoutReader, FailureFreesEverythingItCreated) {
  const int before = TTestControl::liveCount;
  Loaded l(
      "object F: TTestRoot\n"
      "  object A: TTestControl\n"
      "    object B: TTestControl\n"
      "    end\n"
      "  end\n"
      "  object C: TTestControl\n"
      "    Left = oops\n"
      "  end\n"
      "end\n");
  EXPECT_FALSE(l.ok);
  EXPECT_EQ(l.err.line, 7);
  EXPECT_EQ(l.root.ComponentCount(), 0);
  EXPECT_EQ(TTestControl::liveCount, before);
  EXPECT_FALSE(l.root.IsLoading());
  EXPECT_TRUE(l.root.loadOrder.empty());  // Loaded is not called after a failure
}

TEST(LayoutReader, DeepNestingIsRefused) {
  std::string text = "object F: TTestRoot\n";
  for (int i = 0; i < 200; ++i)
    text += "object C" + std::to_string(i) + ": TTestControl\n";
  for (int i = 0; i < 200; ++i)
    text += "end\n";
  text += "end\n";
  const int before = TTestControl::liveCount;
  Loaded l(text.c_str());
  EXPECT_FALSE(l.ok);
  EXPECT_NE(l.err.message.find("nested too deeply"), std::string::npos);
  EXPECT_EQ(TTestControl::liveCount, before);
}

TEST(ObjectText, OnePersistentRoundTrips) {
  TTestFont font;
  font.SetName(u"DejaVu Sans");
  font.SetColor(clRed);
  const std::string text = WriteObjectText(&font, "SaveObject");
  EXPECT_EQ(text,
            "object SaveObject: TTestFont\n"
            "  Name = 'DejaVu Sans'\n"
            "  Color = clRed\n"
            "end\n");
  TTestFont copy;
  TLayoutError err;
  ASSERT_TRUE(ReadObjectText(text, &copy, &err)) << err.message;
  EXPECT_EQ(copy.Name(), u"DejaVu Sans");
  EXPECT_EQ(copy.Color(), clRed);
  EXPECT_FALSE(ReadObjectText("object X: TTestRoot\nend\n", &copy, &err));
  EXPECT_FALSE(
      ReadObjectText("object X: TTestFont\n  object Y: TTestControl\n  end\nend\n", &copy, &err));
  EXPECT_EQ(err.line, 2);
}

TEST(PropertyValue, ReadAndWriteOneValueByPath) {
  TTestControl c(nullptr);
  TLayoutError err;
  ASSERT_TRUE(ReadPropertyValue(&c, "Font.Color", "clHighlight", &err)) << err.message;
  std::string text;
  ASSERT_TRUE(WritePropertyValue(&c, "font.color", &text));
  EXPECT_EQ(text, "clHighlight");
  EXPECT_FALSE(ReadPropertyValue(&c, "Font.Nope", "1", &err));
  EXPECT_FALSE(ReadPropertyValue(&c, "Left", "1 2", &err));
  ASSERT_TRUE(ReadPropertyValue(&c, "Color", "$FF000005", &err));
  EXPECT_EQ(c.Color(), clWindow);
}
