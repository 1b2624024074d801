// The two reply types of mivo-title as generated content, and their partial
// forms.
#include <gtest/gtest.h>

#include <string>

#include "title/edited_paragraph.h"
#include "title/note_title.h"

namespace mivo::title {
namespace {

using platform::GeneratedContent;

TEST(ReplyTypes, WriteOneStringPropertyWithNoIdAndReadItBack) {
  const GeneratedContent title = NoteTitle{.title = "Milk/eggs"}.generatedContent();
  EXPECT_EQ(title.jsonString(), R"({"title":"Milk/eggs"})");
  EXPECT_FALSE(title.id().has_value());
  EXPECT_EQ(NoteTitle::fromGeneratedContent(title).title, "Milk/eggs");

  const GeneratedContent text = EditedParagraph{.text = ""}.generatedContent();
  EXPECT_EQ(text.jsonString(), R"({"text":""})");
  EXPECT_FALSE(text.id().has_value());
  EXPECT_EQ(EditedParagraph::fromGeneratedContent(text).text, "");
}

TEST(ReplyTypes, PartialFormsKeepTheContentsIdOrMakeANewOne) {
  const platform::GenerationID id;
  const auto title = NoteTitle::PartiallyGenerated::fromGeneratedContent(
      GeneratedContent::ofProperties({{"title", GeneratedContent::ofString("Mi")}}, id));
  EXPECT_TRUE(title.id == id);
  EXPECT_EQ(title.title, "Mi");

  const GeneratedContent empty = GeneratedContent::ofProperties({});
  const auto first = EditedParagraph::PartiallyGenerated::fromGeneratedContent(empty);
  const auto second = EditedParagraph::PartiallyGenerated::fromGeneratedContent(empty);
  EXPECT_FALSE(first.id == second.id);
  EXPECT_EQ(first.text, std::nullopt);
  const auto nullText = EditedParagraph::PartiallyGenerated::fromGeneratedContent(
      GeneratedContent::ofProperties({{"text", GeneratedContent::null()}}));
  EXPECT_EQ(nullText.text, std::nullopt);
}

}  // namespace
}  // namespace mivo::title
