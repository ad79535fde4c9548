#include <gtest/gtest.h>

#include "file_fixture.h"
#include "options/options_file.h"

namespace ombrel {
namespace {

using test::TempDir;

void ExpectSameSet(const TOptions& a, const TOptions& b) {
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.bgcolor, b.bgcolor);
  EXPECT_EQ(a.textbrightcolor, b.textbrightcolor);
  EXPECT_EQ(a.ansimap, b.ansimap);
  EXPECT_EQ(a.font.name, b.font.name);
  EXPECT_EQ(a.font.size, b.font.size);
  EXPECT_EQ(a.font.style, b.font.style);
  EXPECT_EQ(a.font.color, b.font.color);
  EXPECT_EQ(std::make_tuple(a.ansi, a.scrollbar, a.localecho, a.telnet, a.telnetinit, a.telopnaws, a.teloplinemode),
            std::make_tuple(b.ansi, b.scrollbar, b.localecho, b.telnet, b.telnetinit, b.telopnaws, b.teloplinemode));
  EXPECT_EQ(a.margin, b.margin);
  EXPECT_EQ(std::tie(a.pipechar, a.pathchar, a.paramstart, a.paramend),
            std::tie(b.pipechar, b.pathchar, b.paramstart, b.paramend));
  EXPECT_EQ(std::tie(a.stdpasteprefix, a.stdpastesuffix, a.altpasteprefix, a.altpastesuffix),
            std::tie(b.stdpasteprefix, b.stdpastesuffix, b.altpasteprefix, b.altpastesuffix));
  ASSERT_EQ(a.triggers.size(), b.triggers.size());
  for (size_t i = 0; i < a.triggers.size(); ++i) {
    const TTrigger &x = a.triggers[i], &y = b.triggers[i];
    EXPECT_EQ(std::tie(x.name, x.string, x.soundfile, x.text), std::tie(y.name, y.string, y.soundfile, y.text));
    EXPECT_EQ(std::tie(x.textenabled, x.soundenabled), std::tie(y.textenabled, y.soundenabled));
  }
  for (int i = 0; i < kMacroCount; ++i) EXPECT_EQ(a.macros[i].text, b.macros[i].text) << "macro " << i;
  ASSERT_EQ(a.aliases.size(), b.aliases.size());
  for (size_t i = 0; i < a.aliases.size(); ++i) {
    EXPECT_EQ(a.aliases[i].name, b.aliases[i].name);
    EXPECT_EQ(a.aliases[i].translation, b.aliases[i].translation);
  }
  EXPECT_EQ(a.historysize, b.historysize);
}

// One set from key lines joined with CR LF, wrapped in its block.
TOptions ReadOne(const std::string& body) {
  TOptionSetList list;
  ParseOptionSets("#optionset\tS\r\n" + body + "#endoptionset\r\n", list);
  EXPECT_EQ(list.Count(), 1);
  return list.At(0);
}

TEST(OptionsFile, GetFieldSplitsAtTabs) {
  EXPECT_EQ(GetField("#key", 1), "#key");
  EXPECT_EQ(GetField("#key", 2), "");
  EXPECT_EQ(GetField("#key\tv\t\tw", 2), "v");
  EXPECT_EQ(GetField("#key\tv\t\tw", 3), "");
  EXPECT_EQ(GetField("#key\tv\t\tw", 4), "w");
  EXPECT_EQ(GetField("#key\tv\t\tw", 5), "");
  EXPECT_EQ(GetField("#key\tv", 0), "");
  EXPECT_EQ(GetField("\t", 1), "");
}

TEST(OptionsFile, ExampleReadsAndWritesBackByteForByte) {
  const std::string golden = test::Golden("options/example.dat");
  TOptions built;
  built.name = "Default";
  built.triggers.push_back({"tell", "tells you", true, false, {"reply thanks"}, ""});
  built.macros[0].text = {"look"};
  built.aliases.push_back({"gg", {"get all"}});
  TOptionSetList expected;
  expected.Add(std::make_unique<TOptions>(built));
  EXPECT_EQ(FormatOptionSets(expected), golden);

  TempDir dir;
  test::WriteBytes(dir / "options.dat", golden);
  TOptionSetList list;
  ASSERT_TRUE(LoadOptionSets(dir / "options.dat", list).ok);
  ASSERT_EQ(list.Count(), 1);
  ExpectSameSet(list.At(0), built);
  ASSERT_TRUE(SaveOptionSets(dir / "again.dat", list).ok);
  EXPECT_EQ(test::ReadBytes(dir / "again.dat"), golden);

  // Lines ended by a lone LF read the same.
  std::string lf = golden;
  for (size_t p; (p = lf.find("\r\n")) != std::string::npos;) lf.erase(p, 1);
  ParseOptionSets(lf, list);
  ExpectSameSet(list.At(0), built);
}

TEST(OptionsFile, ValueForms) {
  TOptions o;
  o.margin = "   ";
  o.font.style = fsBold | fsItalic | fsUnderline;
  o.bgcolor = 0xFFFFFFFF;
  TOptionSetList list;
  list.Add(std::make_unique<TOptions>(o));
  std::string text = FormatOptionSets(list);
  EXPECT_NE(text.find("#margin\t   \r\n"), std::string::npos);
  EXPECT_NE(text.find("#fontstyle\tbui\r\n"), std::string::npos);
  EXPECT_NE(text.find("#bgcolor\t-1\r\n"), std::string::npos);
  EXPECT_NE(text.find("#triggers\r\n#endtriggers\r\n"), std::string::npos);
  EXPECT_NE(text.find("#aliases\r\n#endaliases\r\n"), std::string::npos);
  ParseOptionSets(text, list);
  EXPECT_EQ(list.At(0).margin, "   ");
  EXPECT_EQ(list.At(0).bgcolor, 0xFFFFFFFFu);

  EXPECT_FALSE(ReadOne("#ansi\tTRUE\r\n").ansi);
  EXPECT_FALSE(ReadOne("#scrollbar\ttrue\r\n#scrollbar\r\n").scrollbar);
  EXPECT_TRUE(ReadOne("#localecho\ttrue\tjunk\r\n").localecho);
  EXPECT_EQ(ReadOne("#fontstyle\tiub\r\n").font.style, fsBold | fsItalic | fsUnderline);
  EXPECT_EQ(ReadOne("#fontstyle\txsBIuz\r\n").font.style, fsStrikeOut | fsUnderline);
  TOptions plain = ReadOne("");
  TOptions expected;
  expected.name = "S";
  ExpectSameSet(plain, expected);
}

TEST(OptionsFile, BadNumbersKeepDefaultsAndExtraLinesAreDropped) {
  TOptions o = ReadOne(
      "#bgcolor\tabc\r\n#textcolor\t99999999999\r\n#fontsize\t\r\n#textbrightcolor\t 12\r\n"
      "#ansimap\r\n5\r\nred\r\n-2147483649\r\n#endansimap\r\n");
  TOptions d;
  EXPECT_EQ(o.bgcolor, d.bgcolor);
  EXPECT_EQ(o.font.color, d.font.color);
  EXPECT_EQ(o.font.size, d.font.size);
  EXPECT_EQ(o.textbrightcolor, 12u);
  EXPECT_EQ(o.ansimap[0], 5u);
  for (int i = 1; i < kAnsiMapSize; ++i) EXPECT_EQ(o.ansimap[i], kDefaultAnsiMap[i]) << i;

  std::string body = "#ansimap\r\n";
  for (int i = 0; i < 20; ++i) body += std::to_string(i) + "\r\n";
  body += "#endansimap\r\n#macros\r\n";
  for (int i = 1; i <= 12; ++i) body += "#macro\r\nm" + std::to_string(i) + "\r\n#endmacro\r\n";
  body += "#endmacros\r\n#pipechar\t;\r\n";
  o = ReadOne(body);
  for (int i = 0; i < kAnsiMapSize; ++i) EXPECT_EQ(o.ansimap[i], static_cast<Color>(i));
  for (int i = 0; i < kMacroCount; ++i) EXPECT_EQ(o.macros[i].text, Lines{"m" + std::to_string(i + 1)});
  EXPECT_EQ(o.pipechar, ";");  // reading goes on after the dropped blocks

  o = ReadOne("#macros\r\n#macro\r\na\r\n#endmacro\r\n#macro\r\n#endmacro\r\n#macro\r\nc\r\n#endmacro\r\n#endmacros\r\n");
  EXPECT_EQ(o.macros[0].text, Lines{"a"});
  EXPECT_TRUE(o.macros[1].text.empty());
  EXPECT_EQ(o.macros[2].text, Lines{"c"});
  for (int i = 3; i < kMacroCount; ++i) EXPECT_TRUE(o.macros[i].text.empty());
}

TEST(OptionsFile, ReaderTolerance) {
  TOptions o = ReadOne(
      "#pathchar\t.\r\n#bgcolor\t1\r\n#bgcolor\t2\r\n#stray\r\nstray\r\n"
      "#triggers\r\n#trigger\tgone\r\n#endtrigger\r\n#endtriggers\r\n"
      "#triggers\r\njunk\r\n#trigger\tt\r\n#text\r\na\r\n#endtext\r\n#text\r\nb\tc\r\n#endtext\r\n"
      "#string\tx\r\n#endtrigger\r\n#endtriggers\r\n"
      "#aliases\r\n#alias\tGG\r\n#translation\r\nold\r\n#endtranslation\r\n"
      "#translation\r\nnew\r\n#endtranslation\r\n#endalias\r\n#endaliases\r\n");
  EXPECT_EQ(o.pathchar, ".");
  EXPECT_EQ(o.bgcolor, 2u);
  ASSERT_EQ(o.triggers.size(), 1u);
  EXPECT_EQ(o.triggers[0].name, "t");
  EXPECT_EQ(o.triggers[0].string, "x");
  EXPECT_EQ(o.triggers[0].text, (Lines{"a", "b\tc"}));
  ASSERT_EQ(o.aliases.size(), 1u);
  EXPECT_EQ(o.aliases[0].name, "GG");
  EXPECT_EQ(o.aliases[0].translation, Lines{"new"});

  TOptionSetList list;
  ParseOptionSets("x\r\n#optionset\tMud\r\n#endoptionset\r\n#optionset\tDefault\r\n#endoptionset\r\n"
                  "#optionset\tDefault\r\n#triggers\r\n#trigger\tcut\r\n#string\thalf", list);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.NameAt(0), "Mud");
  EXPECT_EQ(list.NameAt(2), "Default");
  ASSERT_EQ(list.At(2).triggers.size(), 1u);
  EXPECT_EQ(list.At(2).triggers[0].string, "half");

  // Without "#endtriggers" the next set is swallowed by the trigger section.
  ParseOptionSets("#optionset\tA\r\n#triggers\r\n#endoptionset\r\n#optionset\tB\r\n#trigger\tlate\r\n", list);
  ASSERT_EQ(list.Count(), 1);
  ASSERT_EQ(list.At(0).triggers.size(), 1u);
  EXPECT_EQ(list.At(0).triggers[0].name, "late");

  for (const char* nothing : {"", "#endoptionset\r\n\r\n", "#optionsets\tX\r\n"}) {
    ParseOptionSets(nothing, list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.NameAt(0), "Default");
  }
}

TEST(OptionsFile, FileFailures) {
  TempDir dir;
  TOptionSetList list;
  ReadResult r = LoadOptionSets(dir / "missing.dat", list);
  EXPECT_TRUE(r.ok);
  EXPECT_FALSE(r.existed);
  EXPECT_EQ(list.Count(), 1);

  std::filesystem::create_directory(dir / "options.dat");
  r = LoadOptionSets(dir / "options.dat", list);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("options.dat"), std::string::npos);
  EXPECT_EQ(list.NameAt(0), "Default");

  // The data directory is created on save; a failed save keeps the old file.
  const std::string path = dir / "data/options.dat";
  ASSERT_TRUE(SaveOptionSets(path, list).ok);
  const std::string before = test::ReadBytes(path);
  list.AddNew("Second");
  {
    test::FileSizeLimit limit(100);
    WriteResult w = SaveOptionSets(path, list);
    EXPECT_FALSE(w.ok);
    EXPECT_FALSE(w.error.empty());
  }
  EXPECT_EQ(test::ReadBytes(path), before);
}

TOptions RandomSet(std::mt19937& rng) {
  auto text = [&](size_t n = 12) { return test::RandomText(rng, n); };
  auto lines = [&] {
    Lines l(rng() % 4);
    for (auto& s : l) s = test::RandomText(rng, 20, true);
    return l;
  };
  TOptions o;
  o.name = text();
  o.bgcolor = rng(), o.textbrightcolor = rng(), o.font.color = rng();
  for (auto& c : o.ansimap) c = rng();
  o.font.name = text(), o.font.size = static_cast<int32_t>(rng()), o.font.style = rng() % 16;
  o.ansi = rng() & 1, o.scrollbar = rng() & 1, o.localecho = rng() & 1, o.telnet = rng() & 1;
  o.telnetinit = rng() & 1, o.telopnaws = rng() & 1, o.teloplinemode = rng() & 1;
  for (std::string* s : {&o.margin, &o.pipechar, &o.pathchar, &o.stdpasteprefix, &o.stdpastesuffix,
                         &o.altpasteprefix, &o.altpastesuffix, &o.paramstart, &o.paramend})
    *s = text(3);
  for (int i = rng() % 4; i > 0; --i)
    o.triggers.push_back({text(), text(), bool(rng() & 1), bool(rng() & 1), lines(), text()});
  for (auto& m : o.macros) m.text = lines();
  for (int i = rng() % 4; i > 0; --i) o.aliases.push_back({text(), lines()});
  return o;
}

TEST(OptionsFile, RandomSetsRoundTrip) {
  std::mt19937 rng(4242);
  for (int round = 0; round < 50; ++round) {
    TOptionSetList list, back;
    for (int i = 1 + rng() % 3; i > 0; --i) list.Add(std::make_unique<TOptions>(RandomSet(rng)));
    list.At(0).historysize = 7;  // not stored: reads back as 50
    ParseOptionSets(FormatOptionSets(list), back);
    list.At(0).historysize = 50;
    ASSERT_EQ(back.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i) ExpectSameSet(back.At(i), list.At(i));
  }
}

TEST(OptionsFile, RandomAndTruncatedFilesNeverBreakTheReader) {
  std::mt19937 rng(99);
  const std::string golden = test::Golden("options/example.dat");
  const char* keys[] = {"#optionset\t", "#ansimap", "#endansimap", "#triggers", "#trigger\t", "#text",
                        "#macros", "#macro", "#aliases", "#alias\t", "#translation", "#fontsize\t"};
  TOptionSetList list;
  for (int round = 0; round < 400; ++round) {
    std::string input = golden.substr(0, rng() % (golden.size() + 1));
    for (int i = rng() % 30; i > 0; --i) {
      input += rng() % 2 ? std::string(keys[rng() % std::size(keys)]) : test::RandomText(rng, 8, true);
      input += rng() % 3 ? "\r\n" : (rng() % 2 ? "\n" : "\r");
    }
    ParseOptionSets(input, list);
    ASSERT_GE(list.Count(), 1);
    ParseOptionSets(FormatOptionSets(list), list);  // whatever was read writes out readably
    ASSERT_GE(list.Count(), 1);
  }
}

}  // namespace
}  // namespace ombrel
