// The wave-player component on the capture sink: what is heard, when, and what it costs.
#include <gtest/gtest.h>

#include "WaveFixtures.h"
#include "platform/vellumkit/ZKWavePlayer.h"
#include "platform/win/MessageBox.h"

using namespace wavetest;

namespace {

class ZKWavePlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearShownMessageBoxes();
    TZKWavePlayer::UseCaptureSink(&Capture);
    Player = new TZKWavePlayer(nullptr);
    Player->SetAsync(true);
  }
  void TearDown() override {
    Player->Free();
    TZKWavePlayer::UseSilence();
  }

  void PlayFile(const std::string& name) {
    Player->FFileName = name;
    Player->Play();
  }
  static TWaveClip::TRef Cached(const std::string& name) { return TWaveClipCache::Instance().Get(name); }
  static uint64_t Reads() { return TWaveClipCache::Instance().GetReadCount(); }

  TScratchDir Dir;
  TAudioCapture Capture;
  TZKWavePlayer* Player = nullptr;
};

}  // namespace

TEST_F(ZKWavePlayerTest, PlaysEachFileAtTheVirtualTimeOfItsCall) {
  SKIP_WITHOUT_SAMPLE_WAVES();
  const std::string key = Sample("percussion-12.wav");
  const std::string enter = Sample("MsgType.wav");
  PlayFile(key);
  Capture.Advance(1000);
  PlayFile(enter);
  Capture.Advance(12000);

  const auto& plays = Capture.GetPlays();
  ASSERT_EQ(plays.size(), 2u);
  EXPECT_EQ(plays[0].FileName, key);
  EXPECT_EQ(plays[0].Time, 0u);
  EXPECT_EQ(plays[0].Frames, Cached(key)->GetFrames());
  EXPECT_EQ(plays[1].FileName, enter);
  EXPECT_EQ(plays[1].Time, 1000u);
  EXPECT_FALSE(plays[1].BuiltIn);
  EXPECT_TRUE(MixMatches(Capture, {{Cached(key), 0}, {Cached(enter), 1000}}));
}

// The expert sets the Enter sound, plays, and sets the key sound back at once.
TEST_F(ZKWavePlayerTest, PlayTakesTheNameAtTheCall) {
  SKIP_WITHOUT_SAMPLE_WAVES();
  const std::string key = Sample("percussion-12.wav");
  const std::string enter = Sample("HubConnected.wav");
  Player->FFileName = enter;
  Player->Play();
  Player->FFileName = key;
  Capture.Advance(20000);
  ASSERT_EQ(Capture.GetPlays().size(), 1u);
  EXPECT_EQ(Capture.GetPlays()[0].FileName, enter);
  EXPECT_TRUE(MixMatches(Capture, {{Cached(enter), 0}}));
}

// After a name's first play, Play reads no file: a deleted file still sounds from the cache,
// and a name that gave no clip is not tried again at every key.
TEST_F(ZKWavePlayerTest, NoFileWorkAfterAFilesFirstPlay) {
  SKIP_WITHOUT_SAMPLE_WAVES();
  const std::string name = Dir.Write("key.wav", ReadFile(Sample("MsgType.wav")));
  const std::string missing = Dir.File("enter.wav");
  const uint64_t before = Reads();
  PlayFile(name);
  PlayFile(missing);
  EXPECT_EQ(Reads(), before + 2);
  const TWaveClip::TRef clip = Cached(name);

  std::filesystem::remove(name);
  Capture.Advance(500);
  PlayFile(name);
  PlayFile(missing);
  Capture.Advance(10000);
  EXPECT_EQ(Reads(), before + 2);

  const auto& plays = Capture.GetPlays();
  ASSERT_EQ(plays.size(), 4u);
  EXPECT_EQ(plays[2].Frames, clip->GetFrames());
  EXPECT_EQ(plays[3].Frames, 0u) << "recorded, but nothing heard";
  EXPECT_TRUE(MixMatches(Capture, {{clip, 0}, {clip, 500}}));
}

// The user is told once which file cannot be played and why; that sound is silent and the
// others play on. A file that plays with damage is heard and told about once too.
TEST_F(ZKWavePlayerTest, AnUnplayableFileIsToldOnceAndTheOthersPlayOn) {
  const std::string good = Dir.Write("enter.wav", MixRateWav(Constant(100, 1000)));
  struct TRow {
    const char* Name;
    std::string Bytes;
    const char* Why;
    bool Heard;
  } rows[] = {
      {"image.wav", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + std::string(100, '\0'), "no RIFF WAVE header", false},
      {"empty.wav", "", "the file is empty", false},
      {"no-data.wav", MixRateWav({}), "holds no samples", false},
      {"nan.wav", FloatWavBytes(48000, 2, std::vector<float>(8, std::nanf(""))), "no sample in the file is a number", false},
      {"some-nan.wav", FloatWavBytes(48000, 2, {0.5f, std::nanf(""), 0.5f, 0.5f}), "1 of its 4 samples are not numbers", true},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    ClearShownMessageBoxes();
    const std::string broken = Dir.Write(row.Name, row.Bytes);
    const size_t before = Capture.GetPlays().size();
    for (int i = 0; i < 3; ++i) {
      PlayFile(broken);
      PlayFile(good);
    }
    const auto boxes = GetShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].Text.find(broken), std::string::npos) << boxes[0].Text;
    EXPECT_NE(boxes[0].Text.find(row.Why), std::string::npos) << boxes[0].Text;
    EXPECT_EQ(boxes[0].Icon(), MB_ICONWARNING);
    const auto& plays = Capture.GetPlays();
    ASSERT_EQ(plays.size(), before + 6);
    for (size_t i = before; i < plays.size(); i += 2) {
      EXPECT_EQ(plays[i].Frames > 0, row.Heard);
      EXPECT_EQ(plays[i + 1].Frames, 100u) << "the other sound plays on";
    }
  }

  // Told again only once the file changed and was read again.
  ClearShownMessageBoxes();
  WriteFile(Dir.File("empty.wav"), "still not a sound");
  TZKWavePlayer::RevalidateClips();
  PlayFile(Dir.File("empty.wav"));
  PlayFile(Dir.File("empty.wav"));
  ASSERT_EQ(GetShownMessageBoxes().size(), 1u);
  EXPECT_NE(GetShownMessageBoxes()[0].Text.find("no RIFF WAVE header"), std::string::npos);
}

TEST_F(ZKWavePlayerTest, AChangedFileIsHeardAfterRevalidation) {
  const std::string name = Dir.Write("key.wav", MixRateWav(Constant(200, 1000)));
  PlayFile(name);
  const TWaveClip::TRef before = Cached(name);
  Capture.Advance(300);
  WriteFile(name, MixRateWav(Constant(400, -3000)));
  PlayFile(name);  // the player does not look at the disk
  Capture.Advance(300);
  TZKWavePlayer::RevalidateClips();
  PlayFile(name);
  Capture.Advance(500);

  const TWaveClip::TRef after = Cached(name);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->GetFrames(), 400u);
  EXPECT_TRUE(MixMatches(Capture, {{before, 0}, {before, 300}, {after, 600}}));
}

TEST_F(ZKWavePlayerTest, SynchronousPlayReturnsWhenTheSoundHasEnded) {
  SKIP_WITHOUT_SAMPLE_WAVES();
  const std::string key = Sample("percussion-12.wav");
  Player->SetAsync(false);
  EXPECT_FALSE(Player->GetAsync());
  PlayFile(key);
  EXPECT_EQ(Capture.GetNow(), Cached(key)->GetFrames()) << "the virtual clock ran over the clip";
  PlayFile(Dir.File("missing.wav"));
  EXPECT_EQ(Capture.GetNow(), Cached(key)->GetFrames()) << "nothing to wait for";

  Player->SetAsync(true);
  PlayFile(key);
  EXPECT_EQ(Capture.GetNow(), Cached(key)->GetFrames()) << "asynchronous Play returns at once";
  EXPECT_TRUE(MixMatches(Capture, {{Cached(key), 0}}));
}

TEST_F(ZKWavePlayerTest, TheBuiltInSwitchPlaysTheClickInsteadOfTheFile) {
  const uint64_t before = Reads();
  Player->FDefault = true;
  PlayFile(Dir.File("not-there.wav"));
  Capture.Advance(1000);
  EXPECT_EQ(Reads(), before) << "the file is not even looked at";
  ASSERT_EQ(Capture.GetPlays().size(), 1u);
  EXPECT_TRUE(Capture.GetPlays()[0].BuiltIn);
  EXPECT_EQ(Capture.GetPlays()[0].Frames, TWaveClip::BuiltInClick()->GetFrames());
  EXPECT_TRUE(MixMatches(Capture, {{TWaveClip::BuiltInClick(), 0}}));
}

TEST_F(ZKWavePlayerTest, SilenceAndAVanishedSinkPlayNothing) {
  const uint64_t before = Reads();
  TZKWavePlayer::UseSilence();
  PlayFile(Dir.Write("key.wav", MixRateWav(Constant(10, 1000))));
  EXPECT_EQ(Reads(), before) << "silence reads nothing";
  EXPECT_TRUE(Capture.GetPlays().empty());

  {
    TAudioCapture shortLived;
    TZKWavePlayer::UseCaptureSink(&shortLived);
    EXPECT_EQ(TZKWavePlayer::GetOutput(), &shortLived);
  }
  EXPECT_EQ(TZKWavePlayer::GetOutput(), nullptr);
  Player->Play();
  EXPECT_TRUE(Capture.GetPlays().empty());
}

// What the host writes at the end of a session reads back as the same sound.
TEST_F(ZKWavePlayerTest, TheSessionWritesToAWaveFile) {
  SKIP_WITHOUT_SAMPLE_WAVES();
  PlayFile(Sample("HubConnected.wav"));
  Capture.Advance(2000);
  PlayFile(Sample("MsgType.wav"));
  Capture.Advance(20000);
  const std::string out = Dir.File("session.wav");
  std::string error;
  ASSERT_TRUE(Capture.WriteWav(out, &error)) << error;
  TWaveClip::TRef back = LoadWaveFile(out, nullptr, &error);
  ASSERT_TRUE(back) << error;
  ASSERT_EQ(back->GetFrames(), Capture.GetNow());
  for (size_t i = 0; i < Capture.GetSamples().size(); ++i)
    ASSERT_NEAR(back->GetSamples()[i], Capture.GetSamples()[i], 1.5 / 32768) << "sample " << i;
  EXPECT_FALSE(Capture.WriteWav(Dir.File("no-such-dir/session.wav"), &error));
}

TEST_F(ZKWavePlayerTest, IsAComponentFreedByItsOwner) {
  SKIP_WITHOUT_SAMPLE_WAVES();
  TComponent* owner = new TComponent(nullptr);
  TComponent* made = TZKWavePlayer::StaticClass()->Create(owner);
  auto* player = As<TZKWavePlayer>(made);
  ASSERT_TRUE(player);
  EXPECT_EQ(player->ClassName(), "TZKWavePlayer");
  EXPECT_EQ(owner->GetComponentCount(), 1);
  EXPECT_FALSE(player->GetAsync());
  EXPECT_FALSE(player->FDefault);
  EXPECT_TRUE(player->FFileName.empty());
  player->FFileName = Sample("percussion-12.wav");
  player->SetAsync(true);
  player->Play();
  owner->Free();  // frees the player; its voice plays on
  Capture.Advance(8000);
  EXPECT_TRUE(MixMatches(Capture, {{Cached(Sample("percussion-12.wav")), 0}}));
}
