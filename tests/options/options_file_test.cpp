#include "options/options_file.h"

#include <gtest/gtest.h>

#include "file_fixture.h"
#include "options/features_file.h"
#include "options/game_data_file.h"

namespace ombrel {
namespace {

TOptions ReadOne(const std::string& body) {
  TOptionSetList list;
  ParseOptionSets("#optionset\tS\r\n" + body + "#endoptionset\r\n", list);
  EXPECT_EQ(list.Count(), 1);
  return list.At(0);
}

std::string WriteOne(const TOptions& o) {
  TOptionSetList list;
  list.Add(std::make_unique<TOptions>(o));
  return FormatOptionSets(list);
}

TEST(OptionsFile, ExampleReadsAndWritesBackByteForByte) {
  const std::string golden = test::Golden("options/example.dat");
  TOptions built{.name = "Default"};
  built.triggers.push_back({"tell", "tells you", true, false, {"reply thanks"}, ""});
  built.macros[0].text = {"look"};
  built.aliases.push_back({"gg", {"get all"}});
  EXPECT_EQ(WriteOne(built), golden);

  test::TempDir dir;
  test::WriteBytes(dir / "options.dat", golden);
  TOptionSetList list;
  ASSERT_TRUE(LoadOptionSets(dir / "options.dat", list).ok && list.Count() == 1);
  EXPECT_TRUE(list.At(0) == built);  // and so writes the golden bytes, as above
}

// What the random round trip cannot see: the written letter order and the
// reading of lines this program never writes.
TEST(OptionsFile, ValueForms) {
  TOptions o;
  o.font.style = fsBold | fsItalic | fsUnderline;
  EXPECT_NE(WriteOne(o).find("#fontstyle\tbui\r\n"), std::string::npos);
  EXPECT_FALSE(ReadOne("#ansi\tTRUE\r\n").ansi);
  EXPECT_FALSE(ReadOne("#scrollbar\ttrue\r\n#scrollbar\r\n").scrollbar);  // a later line overwrites
  EXPECT_TRUE(ReadOne("#localecho\ttrue\tjunk\r\n").localecho);
  EXPECT_EQ(ReadOne("#fontstyle\tiub\r\n").font.style, fsBold | fsItalic | fsUnderline);
  EXPECT_EQ(ReadOne("#fontstyle\txsBIuz\r\n").font.style, fsStrikeOut | fsUnderline);
  EXPECT_TRUE(ReadOne("#unknown\t1\r\nstray\r\n") == TOptions{.name = "S"});
  EXPECT_EQ(GetField("#k\tv\t\tw", 4) + GetField("#k\tv", 3) + GetField("#k", 0), "w");
}

TEST(OptionsFile, BadNumbersKeepDefaultsAndExtraBlocksAreDropped) {
  TOptions o = ReadOne(
      "#bgcolor\tabc\r\n#textcolor\t99999999999\r\n#fontsize\t\r\n#textbrightcolor\t 12\r\n"
      "#ansimap\r\n5\r\nred\r\n-2147483649\r\n#endansimap\r\n");
  TOptions expected{.name = "S", .textbrightcolor = 12};
  expected.ansimap[0] = 5;
  EXPECT_TRUE(o == expected);

  std::string body = "#ansimap\r\n";
  for (int i = 0; i < 20; ++i) body += std::to_string(i) + "\r\n";
  body += "#endansimap\r\n#macros\r\n";
  for (int i = 0; i < 12; ++i) body += "#macro\r\nm" + std::to_string(i) + "\r\n#endmacro\r\n";
  expected = TOptions{.name = "S", .pipechar = ";"};  // reading goes on after the dropped blocks
  for (int i = 0; i < kAnsiMapSize; ++i) expected.ansimap[i] = i;
  for (int i = 0; i < kMacroCount; ++i) expected.macros[i].text = {"m" + std::to_string(i)};
  EXPECT_TRUE(ReadOne(body + "#endmacros\r\n#pipechar\t;\r\n") == expected);
}

TEST(OptionsFile, SectionsAndBlocks) {
  TOptions o = ReadOne(
      "#triggers\r\n#trigger\tgone\r\n#endtrigger\r\n#endtriggers\r\n"
      "#triggers\r\njunk\r\n#trigger\tt\r\n#text\r\na\r\n#endtext\r\n#text\r\nb\tc\r\n#endtext\r\n"
      "#string\tx\r\n#endtrigger\r\n#endtriggers\r\n"
      "#aliases\r\n#alias\tGG\r\n#translation\r\nold\r\n#endtranslation\r\n"
      "#translation\r\nnew\r\n#endtranslation\r\n#endalias\r\n#endaliases\r\n");
  EXPECT_TRUE((o.triggers == std::vector<TTrigger>{{"t", "x", false, false, {"a", "b\tc"}, ""}}));
  EXPECT_TRUE((o.aliases == std::vector<TAlias>{{"GG", {"new"}}}));

  TOptionSetList list;  // same names both kept; a file ending inside a block keeps what it read
  ParseOptionSets(
      "x\r\n#optionset\tMud\r\n#endoptionset\r\n#optionset\tDefault\r\n#endoptionset\r\n"
      "#optionset\tDefault\r\n#triggers\r\n#trigger\tcut\r\n#string\thalf",
      list);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.NameAt(0) + list.NameAt(1) + list.NameAt(2), "MudDefaultDefault");
  EXPECT_TRUE(
      (list.At(2).triggers == std::vector<TTrigger>{{"cut", "half", false, false, {}, ""}}));

  // Without "#endtriggers" the next set is swallowed by the trigger section.
  ParseOptionSets(
      "#optionset\tA\r\n#triggers\r\n#endoptionset\r\n#optionset\tB\r\n#trigger\tlate\r\n", list);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_TRUE((list.At(0).triggers == std::vector<TTrigger>{{"late", "", false, false, {}, ""}}));

  for (const char* nothing : {"", "#endoptionset\r\n\r\n", "#optionsets\tX\r\n"}) {
    ParseOptionSets(nothing, list);
    EXPECT_TRUE(list.Count() == 1 && list.At(0) == TOptions{.name = "Default"});
  }
}

TEST(OptionsFile, FileFailures) {
  test::TempDir dir;
  TOptionSetList list, two;
  ReadResult r = LoadOptionSets(dir / "missing.dat", list);
  EXPECT_TRUE(r.ok && !r.existed && list.Count() == 1);

  std::filesystem::create_directory(dir / "options.dat");
  r = LoadOptionSets(dir / "options.dat", list);
  EXPECT_TRUE(!r.ok && r.error.find("options.dat") != std::string::npos && list.NameAt(0) == "Default");

  two.AddNew("one"), two.AddNew("two");
  const std::string path = dir / "data/options.dat";
  test::ExpectFailedSaveKeepsFile(
      path, [&] { return SaveOptionSets(path, list); }, [&] { return SaveOptionSets(path, two); });
}

TEST(OptionsFile, RandomSetsRoundTrip) {
  std::mt19937 rng(4242);
  auto text = [&](size_t n = 12) { return test::RandomText(rng, n); };
  auto lines = [&] {
    Lines l(rng() % 4);
    for (auto& s : l) s = test::RandomText(rng, 20, true);
    return l;
  };
  for (int round = 0; round < 100; ++round) {
    TOptionSetList list;
    for (int n = 1 + rng() % 2; n > 0; --n) {
      TOptions& o = list.AddNew(text());
      o.bgcolor = rng(), o.textbrightcolor = rng(), o.font.color = rng();
      for (auto& c : o.ansimap) c = rng();
      o.font.name = text(), o.font.size = static_cast<int32_t>(rng()), o.font.style = rng() % 16;
      for (bool* f : {&o.ansi, &o.scrollbar, &o.localecho, &o.telnet, &o.telnetinit,
                      &o.telopnaws, &o.teloplinemode})
        *f = rng() & 1;
      for (std::string* s :
           {&o.margin, &o.pipechar, &o.pathchar, &o.stdpasteprefix, &o.stdpastesuffix,
            &o.altpasteprefix, &o.altpastesuffix, &o.paramstart, &o.paramend})
        *s = text(3);
      for (int i = rng() % 4; i > 0; --i)
        o.triggers.push_back({text(), text(), bool(rng() & 1), bool(rng() & 1), lines(), text()});
      for (auto& m : o.macros) m.text = lines();
      for (int i = rng() % 4; i > 0; --i) o.aliases.push_back({text(), lines()});
    }
    const std::string saved = FormatOptionSets(list);
    TOptionSetList back;
    ParseOptionSets(saved, back);
    ASSERT_EQ(back.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i)
      EXPECT_TRUE(back.At(i) == list.At(i)) << "round " << round << " set " << i;
    EXPECT_EQ(FormatOptionSets(back), saved);
  }
}

TEST(OptionsFile, RandomAndTruncatedFilesNeverBreakTheReader) {
  std::mt19937 rng(99);
  const std::string golden = test::Golden("options/example.dat");
  const std::vector<std::string> keys = {"#optionset\t", "#ansimap", "#endansimap",  "#triggers",
                                         "#trigger\t",   "#text",    "#macros",      "#macro",
                                         "#aliases",     "#alias\t", "#translation", "#fontsize\t"};
  TOptionSetList list, again;
  for (int round = 0; round < 500; ++round) {
    ParseOptionSets(test::Damaged(rng, golden, keys), list);
    // Whatever was read writes out and reads back the same.
    ParseOptionSets(FormatOptionSets(list), again);
    ASSERT_TRUE(list.Count() >= 1 && again.Count() == list.Count() && again.At(0) == list.At(0));
  }
}

// features.dat: switches per set name; what this version does not know, a
// key or a set, goes back out as it came; options.dat never shows them.
TEST(FeaturesFile, SwitchesByNameUnknownsKeptAndOptionsUntouched) {
  TOptionSetList list;
  list.AddNew("Default"), list.AddNew("Modern"), list.AddNew("Old");
  const std::string optionsBefore = FormatOptionSets(list);
  const std::string file =
      "#optionset\tModern\r\n#extendedcolours\t1\r\n#utf8\t1\r\n#mccp\tx\r\n#patterns\t1\r\n#later\t7\r\n#scripts\t1\r\n"
      "#screenreader\t1\r\n#optionset\tGone\r\n#utf8\t1\r\n";
  const KeptFeatureSets kept = ParseSetFeatures(file, list);
  EXPECT_EQ(list.At(1).features, (TSetFeatures{.extendedcolours = true, .utf8 = true, .patterns = true, .scripts = true,
                                               .screenreader = true, .unknown = {"#later\t7"}}));
  EXPECT_EQ(list.At(0).features, TSetFeatures());  // not named: every switch off
  EXPECT_EQ(FormatOptionSets(list), optionsBefore);
  EXPECT_EQ(FormatSetFeatures(list, kept),
            "#optionset\tModern\r\n#extendedcolours\t1\r\n#utf8\t1\r\n#mccp\t0\r\n#patterns\t1\r\n#scripts\t1\r\n"
            "#gmcp\t0\r\n#serverecho\t0\r\n#autoreconnect\t0\r\n#htmllog\t0\r\n#tabcomplete\t0\r\n#splitscroll\t0\r\n"
            "#screenreader\t1\r\n#speech\t0\r\n#later\t7\r\n"
            "#optionset\tGone\r\n#utf8\t1\r\n");

  // With every switch off nothing is written, and no file is created.
  TOptionSetList plain;
  plain.AddNew("Default");
  test::TempDir dir;
  EXPECT_TRUE(SaveSetFeatures(dir / "features.dat", plain, {}).ok);
  EXPECT_FALSE(std::filesystem::exists(dir / "features.dat"));
  ASSERT_TRUE(SaveSetFeatures(dir / "features.dat", list, kept).ok);
  TOptionSetList back;
  back.AddNew("Default"), back.AddNew("Modern"), back.AddNew("Old");
  KeptFeatureSets keptBack;
  ASSERT_TRUE(LoadSetFeatures(dir / "features.dat", back, keptBack).ok);
  EXPECT_EQ(FormatSetFeatures(back, keptBack), FormatSetFeatures(list, kept));
}

// What the file holds stays: lines before the first set, the n-th section
// of a name for the n-th set of that name, and a section of a set the list
// lacks only while no set of the list has taken its place.
TEST(FeaturesFile, EachSetKeepsItsOwnSwitchesAndTheFileItsLines) {
  auto sets = [](std::initializer_list<const char*> names) {
    TOptionSetList list;
    for (const char* n : names) list.AddNew(n);
    return list;
  };
  const std::string head = "; switches beyond the classic ones\r\n\r\n";
  TOptionSetList twins = sets({"Default", "Twin", "Twin"});
  KeptFeatureSets kept =
      ParseSetFeatures(head + "#optionset\tTwin\r\n#utf8\t1\r\n#optionset\tTwin\r\n#mccp\t1\r\n", twins);
  EXPECT_EQ(twins.At(1).features, TSetFeatures{.utf8 = true});
  EXPECT_EQ(twins.At(2).features, TSetFeatures{.mccp = true});
  EXPECT_TRUE(FormatSetFeatures(twins, kept).starts_with(head + "#optionset\tTwin\r\n"));

  // Only the second twin has a switch on: the first is named all the same.
  twins.At(1).features = {};
  TOptionSetList back = sets({"Default", "Twin", "Twin"});
  ParseSetFeatures(FormatSetFeatures(twins, kept), back);
  EXPECT_EQ(back.At(1).features, TSetFeatures());
  EXPECT_EQ(back.At(2).features, TSetFeatures{.mccp = true});

  // A third Twin the list lacks is kept behind the two; a set made later
  // under a kept name starts with every switch off.
  TOptionSetList list = sets({"Default", "Twin", "Twin"});
  const std::string file = "#optionset\tGone\r\n#utf8\t1\r\n#optionset\tTwin\r\n#optionset\tTwin\r\n"
                           "#optionset\tTwin\r\n#extendedcolours\t1\r\n";
  kept = ParseSetFeatures(file, list);
  TOptionSetList three = sets({"Default", "Twin", "Twin", "Twin"});
  ParseSetFeatures(FormatSetFeatures(list, kept), three);
  EXPECT_EQ(three.At(3).features, TSetFeatures{.extendedcolours = true});
  list.RemoveAt(1);
  list.AddNew("Gone"), list.AddNew("Twin"), list.AddNew("Twin");
  const std::string saved = FormatSetFeatures(list, kept);
  TOptionSetList again = sets({"Default", "Twin", "Gone", "Twin", "Twin"});
  ParseSetFeatures(saved, again);
  for (int i = 0; i < again.Count(); ++i) EXPECT_EQ(again.At(i).features, TSetFeatures()) << i << saved;
}

// features.dat and gamedata.dat alike: a file that could not be read is
// never written over, and a save that would change it says so; with every
// setting at its default there is nothing to lose.
TEST(SetSectionFiles, AnUnreadableFileIsLeftAloneAndTheSaveSaysSo) {
  const std::tuple<const char*, decltype(&LoadSetFeatures), decltype(&SaveSetFeatures), void (*)(TOptions&)> files[] = {
      {"features.dat", LoadSetFeatures, SaveSetFeatures, [](TOptions& o) { o.features.mccp = true; }},
      {"gamedata.dat", LoadSetGameData, SaveSetGameData, [](TOptions& o) { o.gamedata.modules = "Char 1"; }}};
  for (const auto& [name, load, save, change] : files) {
    test::TempDir dir;
    const std::string path = dir / name;
    std::filesystem::create_directory(path);
    TOptionSetList list;
    list.AddNew("Default");
    KeptFeatureSets kept;
    EXPECT_FALSE(load(path, list, kept).ok) << name;
    // Whatever made it unreadable has gone: the file is still not replaced.
    std::filesystem::remove(path);
    test::WriteBytes(path, "#optionset\tDefault\r\n#utf8\t1\r\n");
    EXPECT_TRUE(save(path, list, kept).ok) << name;
    change(list.At(0));
    const WriteResult w = save(path, list, kept);
    EXPECT_TRUE(!w.ok && w.error.find(path + " could not be read") != std::string::npos) << w.error;
    EXPECT_EQ(test::ReadBytes(path), "#optionset\tDefault\r\n#utf8\t1\r\n") << name;
  }
}

}  // namespace
}  // namespace ombrel
