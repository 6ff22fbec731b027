// The live panel hears every buffer's starts, loops, stops and volumes, in
// order, each buffer under one number.
#include <gtest/gtest.h>

#include "host/core/host_sound.h"
#include "sound/platform/qraudio.h"

namespace {

using What = panelhost::HostSoundChange::What;

TEST(HostSound, WatchesStartsLoopsStopsAndVolumes) {
    qraudio_device* device = nullptr;
    ASSERT_EQ(qraudio_device_create(&device), QRAUDIO_OK);
    const qraudio_format format{.format_tag = 1, .channels = 1, .samples_per_sec = 8000,
                                .avg_bytes_per_sec = 8000, .block_align = 1, .bits_per_sample = 8};
    qraudio_buffer* buffer = nullptr;
    ASSERT_EQ(qraudio_buffer_create(device, &format, 8000, &buffer), QRAUDIO_OK);
    panelhost::HostSoundWatch(true);
    qraudio_buffer_set_volume(buffer, -500);             // not playing: nothing to hear
    qraudio_buffer_play(buffer, QRAUDIO_PLAY_LOOPING);
    qraudio_buffer_play(buffer, QRAUDIO_PLAY_LOOPING);   // already looping: nothing new
    qraudio_buffer_set_volume(buffer, -1000);
    qraudio_buffer_set_volume(buffer, -1000);            // unchanged
    qraudio_buffer_play(buffer, 0);                      // the loop ends with this pass
    qraudio_buffer_stop(buffer);
    qraudio_buffer_stop(buffer);                         // stopped already
    qraudio_buffer_set_position(buffer, 4000);
    qraudio_buffer_play(buffer, 0);
    qraudio_buffer_release(buffer);                      // goes while playing
    qraudio_device_release(device);
    const auto changes = panelhost::HostSoundTakeChanges();
    panelhost::HostSoundWatch(false);

    const std::vector<What> expected{What::Start, What::Volume, What::Loop, What::Stop, What::Start, What::Stop};
    ASSERT_EQ(changes.size(), expected.size());
    for (std::size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(changes[i].what, expected[i]) << i;
        EXPECT_EQ(changes[i].buffer, changes[0].buffer) << i;
    }
    EXPECT_TRUE(changes[0].looping);
    EXPECT_EQ(changes[0].volume, -500);
    EXPECT_EQ(changes[1].volume, -1000);
    EXPECT_FALSE(changes[2].looping);
    EXPECT_DOUBLE_EQ(changes[4].offset, 0.5);
    EXPECT_TRUE(panelhost::HostSoundTakeChanges().empty());
}

}  // namespace
