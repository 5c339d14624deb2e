/* The C interface of libbass.so, our own small sound library: sample
 * playback, looping streams pulled through a file callback, tracker modules,
 * per-channel volume, pause and resume, mixed into one 32-bit float stereo
 * output through SDL2's audio device.
 *
 * The library is loaded by name at run time, so this header declares the
 * type of each entry point (BassInitFunc, ...) and lists them by name
 * (BASS_API_ENTRY_POINTS) for the function pointers a binding fetches with
 * dlsym, which may then carry the entry points' own names; the prototypes
 * themselves are declared only while the library itself is built.
 *
 * Every handle is a 32-bit value, 0 meaning none. A call made before a
 * successful BASS_Init, after BASS_Free, or on 0, a freed or an unknown handle
 * (or a handle of the wrong kind) does nothing and returns 0 / BASS_FALSE.
 * The entry points are called from one thread; the mixing runs on SDL's audio
 * thread, and each change of what it plays is made under the device's lock.
 */
#ifndef LIBS_BASS_API_BASS_API_H
#define LIBS_BASS_API_BASS_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t BassBool; /* nonzero is true */
typedef uint32_t BassHandle; /* 0 is no handle */

#define BASS_TRUE 1
#define BASS_FALSE 0

/* Devices of BASS_Init. BASS_DEVICE_MANUAL opens no audio device at all:
 * the mix advances only through BassManual_Render (for tests). */
#define BASS_DEVICE_DEFAULT (-1) /* SDL's default driver (SDL_AUDIODRIVER honoured) */
#define BASS_DEVICE_NOSOUND (-2) /* SDL's "dummy" driver: a clock, no sound */
#define BASS_DEVICE_MANUAL (-3)

/* Flags: a sample whose channels, a stream or a module that starts again
 * from its first frame when it reaches its end. */
#define BASS_SAMPLE_LOOP 0x4u
#define BASS_MUSIC_LOOP BASS_SAMPLE_LOOP

/* Results of BASS_ChannelIsActive. */
#define BASS_ACTIVE_STOPPED 0u
#define BASS_ACTIVE_PLAYING 1u
#define BASS_ACTIVE_PAUSED 3u

/* Values of BASS_ChannelSetAttributes that leave an attribute as it is. */
#define BASS_KEEP_FREQUENCY (-1)
#define BASS_KEEP_VOLUME (-1)
#define BASS_KEEP_PAN (-101)

/* Actions of a stream's file callback. */
#define BASS_FILE_CLOSE 0u /* the stream is done with its source; result unused */
#define BASS_FILE_READ 1u /* read param1 bytes into param2; result: bytes read */
#define BASS_FILE_LENGTH 3u /* result: the source's size in bytes */
#define BASS_FILE_SEEK 4u /* go to byte param1 from the start; result: nonzero on success */

/* The file callback of BASS_StreamCreateFileUser. It is called on the
 * caller's thread while the stream is created and on the mixing thread while
 * it plays, never from two threads at once; BASS_FILE_CLOSE comes exactly
 * once, from BASS_StreamFree or BASS_Free. */
typedef uint64_t (*BassFileProc)(uint32_t action, uint64_t param1, void* param2, void* user);

/* Options of BASS_SetConfig. BASS_CONFIG_SAMPLE_MEMORY: the most bytes the
 * decoded frames of all loaded samples take together; 0 (as at first) bounds
 * them not. A sample that would pass it is not loaded. */
#define BASS_CONFIG_SAMPLE_MEMORY 0x10001u

/* Results of BASS_ErrorGetCode. */
#define BASS_OK 0
#define BASS_ERROR_MEM 1 /* the sample's frames would pass BASS_CONFIG_SAMPLE_MEMORY */
#define BASS_ERROR_UNKNOWN (-1)

/* Sets a library-wide option, before or after BASS_Init; BASS_FALSE for an
 * unknown option. */
typedef BassBool BassSetConfigFunc(uint32_t option, uint32_t value);
/* Why the last BASS_SampleLoad returned 0 (BASS_ERROR_MEM, else
 * BASS_ERROR_UNKNOWN); BASS_OK after one that loaded. */
typedef int32_t BassErrorGetCodeFunc(void);

/* Opens the output: frequency is the mix rate in Hz (8000-192000), flags,
 * window and reserved are unused. Fails while already open, for an unknown
 * device, or when the driver or its device cannot be opened. The output is
 * silent until BASS_Start. */
typedef BassBool BassInitFunc(int32_t device, uint32_t frequency, uint32_t flags, void* window,
                              const void* reserved);
/* Starts the output opened by BASS_Init. */
typedef BassBool BassStartFunc(void);
/* Closes the output (joining the mixing thread) and frees every sample,
 * stream and module still loaded, each stream's callback getting its close.
 * A second call returns BASS_FALSE and does nothing. */
typedef BassBool BassFreeFunc(void);

/* Decodes a whole sample (WAV, AIFF, FLAC, OGG Vorbis, MP3, ...) from the
 * length bytes at data + offset; the bytes may be freed on return. Only
 * fromMemory = BASS_TRUE is supported. maxPlaybacks (1-65535) bounds the
 * channels of the sample; flags may hold BASS_SAMPLE_LOOP. 0 for data that
 * does not decode or holds no frame, for more than 8 channels, for more
 * than ten minutes at 44.1 kHz (declared or decoded), and for frames that
 * would pass BASS_CONFIG_SAMPLE_MEMORY beside the other samples'. */
typedef BassHandle BassSampleLoadFunc(BassBool fromMemory, const void* data, uint32_t offset,
                                      uint32_t length, uint32_t maxPlaybacks, uint32_t flags);
/* A channel playing the sample: a new one while the sample has fewer than
 * maxPlaybacks, otherwise (unless onlyNew) one of its channels that is not
 * playing; 0 when there is none. The channel starts stopped, at volume 100. */
typedef BassHandle BassSampleGetChannelFunc(BassHandle sample, BassBool onlyNew);
/* Frees the sample and every channel of it. */
typedef BassBool BassSampleFreeFunc(BassHandle sample);

/* Loads a tracker module (MOD, XM, S3M, IT, ...) from the length bytes at
 * data + offset; the bytes may be freed on return. Only fromMemory =
 * BASS_TRUE and reserved = 0 are supported; flags may hold BASS_MUSIC_LOOP.
 * 0 for data that is no module. The module is its own channel: it starts
 * stopped, at volume 100. */
typedef BassHandle BassMusicLoadFunc(BassBool fromMemory, const void* data, uint32_t offset,
                                     uint32_t length, uint32_t flags, uint32_t reserved);
/* Stops and frees the module. */
typedef BassBool BassMusicFreeFunc(BassHandle music);

/* A stream decoded in blocks, as it plays, from the bytes proc delivers
 * from the source's first byte on (the source is asked for its length,
 * then sought to 0: one that cannot seek gives no stream), in any format
 * of BassSampleLoadFunc; buffered is unused, flags may hold
 * BASS_SAMPLE_LOOP. The stream is its own channel: it starts stopped, at
 * volume 100. On failure (no proc, undecodable data) the result is 0 and the
 * callback never gets BASS_FILE_CLOSE: the source stays the caller's. */
typedef BassHandle BassStreamCreateFileUserFunc(BassBool buffered, uint32_t flags, BassFileProc proc,
                                                void* user);
/* Stops the stream under the lock, so the mixing thread reads no more,
 * then frees it; its callback gets BASS_FILE_CLOSE. */
typedef BassBool BassStreamFreeFunc(BassHandle stream);

/* Plays a channel (a sample's channel, a stream or a module): from its first
 * frame with restart, else from where it stopped or paused (from the first
 * frame again when it had played to its end). */
typedef BassBool BassChannelPlayFunc(BassHandle channel, BassBool restart);
/* Stops the channel where it is. */
typedef BassBool BassChannelStopFunc(BassHandle channel);
/* Pauses a playing or paused channel; BASS_FALSE for a stopped one. */
typedef BassBool BassChannelPauseFunc(BassHandle channel);
/* BASS_ACTIVE_STOPPED (also for a channel that played to its end, and for
 * no channel), BASS_ACTIVE_PLAYING or BASS_ACTIVE_PAUSED. */
typedef uint32_t BassChannelIsActiveFunc(BassHandle channel);
/* Sets the volume, 0-100, a linear gain of volume / 100 (BASS_KEEP_VOLUME
 * leaves it). Every source plays at its own rate and centred, so frequency
 * must be BASS_KEEP_FREQUENCY or 0 and pan BASS_KEEP_PAN or 0; any other
 * value of the three fails the call, changing nothing. */
typedef BassBool BassChannelSetAttributesFunc(BassHandle channel, int32_t frequency, int32_t volume,
                                              int32_t pan);

/* Environmental reverb (EAX): environment 0-25 (those of BASS_EAX_PRESETS)
 * with its volume (0-1), decay time (0.1-20 seconds) and damping (0-2).
 * The mix has no reverb, so the call always returns BASS_FALSE, as BASS
 * does on an output without EAX. No engine path calls it. */
typedef BassBool BassSetEAXParametersFunc(int32_t environment, float volume, float decay, float damping);

/* The 26 environment presets of BassSetEAXParametersFunc, in environment
 * order: X(environment, volume, decay, damping). */
#define BASS_EAX_PRESETS(X)                                   \
  X(0, 0.5f, 1.493f, 0.5f)      /* generic */                \
  X(1, 0.25f, 0.1f, 0.0f)       /* padded cell */            \
  X(2, 0.417f, 0.4f, 0.666f)    /* room */                   \
  X(3, 0.653f, 1.499f, 0.166f)  /* bathroom */               \
  X(4, 0.208f, 0.478f, 0.0f)    /* living room */            \
  X(5, 0.5f, 2.309f, 0.888f)    /* stone room */             \
  X(6, 0.403f, 4.279f, 0.5f)    /* auditorium */             \
  X(7, 0.5f, 3.961f, 0.5f)      /* concert hall */           \
  X(8, 0.5f, 2.886f, 1.304f)    /* cave */                   \
  X(9, 0.361f, 7.284f, 0.332f)  /* arena */                  \
  X(10, 0.5f, 10.0f, 0.3f)      /* hangar */                 \
  X(11, 0.153f, 0.259f, 2.0f)   /* carpeted hallway */       \
  X(12, 0.361f, 1.493f, 0.0f)   /* hallway */                \
  X(13, 0.444f, 2.697f, 0.638f) /* stone corridor */         \
  X(14, 0.25f, 1.752f, 0.776f)  /* alley */                  \
  X(15, 0.111f, 3.145f, 0.472f) /* forest */                 \
  X(16, 0.111f, 2.767f, 0.224f) /* city */                   \
  X(17, 0.194f, 7.841f, 0.472f) /* mountains */              \
  X(18, 1.0f, 1.499f, 0.5f)     /* quarry */                 \
  X(19, 0.097f, 2.767f, 0.224f) /* plain */                  \
  X(20, 0.208f, 1.652f, 1.5f)   /* parking lot */            \
  X(21, 0.652f, 2.886f, 0.25f)  /* sewer pipe */             \
  X(22, 1.0f, 1.499f, 0.0f)     /* underwater */             \
  X(23, 0.875f, 8.392f, 1.388f) /* drugged */                \
  X(24, 0.139f, 17.234f, 0.666f) /* dizzy */                 \
  X(25, 0.486f, 7.563f, 0.806f) /* psychotic */

/* Test seam, not a BASS entry point: with the output opened on
 * BASS_DEVICE_MANUAL and started, mixes the next frameCount frames into
 * stereoFrames (2 floats a frame, each in [-1, 1]) and returns frameCount;
 * before BASS_Start it writes silence and the channels stay where they are.
 * 0, writing nothing, for any other output. */
typedef uint32_t BassManualRenderFunc(float* stereoFrames, uint32_t frameCount);

/* Every BASS entry point the library exports, with its type, for binding
 * it by hand:
 * #define BIND(name, type) name = reinterpret_cast<type*>(LoadProc(lib, #name)); */
#define BASS_API_ENTRY_POINTS(X)                              \
  X(BASS_SetConfig, BassSetConfigFunc)                        \
  X(BASS_ErrorGetCode, BassErrorGetCodeFunc)                  \
  X(BASS_Init, BassInitFunc)                                  \
  X(BASS_Start, BassStartFunc)                                \
  X(BASS_Free, BassFreeFunc)                                  \
  X(BASS_SampleLoad, BassSampleLoadFunc)                      \
  X(BASS_SampleGetChannel, BassSampleGetChannelFunc)          \
  X(BASS_SampleFree, BassSampleFreeFunc)                      \
  X(BASS_MusicLoad, BassMusicLoadFunc)                        \
  X(BASS_MusicFree, BassMusicFreeFunc)                        \
  X(BASS_StreamCreateFileUser, BassStreamCreateFileUserFunc)  \
  X(BASS_StreamFree, BassStreamFreeFunc)                      \
  X(BASS_ChannelPlay, BassChannelPlayFunc)                    \
  X(BASS_ChannelStop, BassChannelStopFunc)                    \
  X(BASS_ChannelPause, BassChannelPauseFunc)                  \
  X(BASS_ChannelIsActive, BassChannelIsActiveFunc)            \
  X(BASS_ChannelSetAttributes, BassChannelSetAttributesFunc)

#ifdef BASS_API_BUILDING_LIBRARY
#define BASS_API_EXPORT __attribute__((visibility("default")))
#define BASS_API_DECLARE(name, type) BASS_API_EXPORT type name;
BASS_API_ENTRY_POINTS(BASS_API_DECLARE)
BASS_API_EXPORT BassSetEAXParametersFunc BASS_SetEAXParameters;
BASS_API_EXPORT BassManualRenderFunc BassManual_Render;
#undef BASS_API_DECLARE
#endif

#ifdef __cplusplus
}
#endif

#endif /* LIBS_BASS_API_BASS_API_H */
