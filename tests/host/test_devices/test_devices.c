/* Devices that misbehave, for the command's plug-in measurement tests: a wire
   that reports a latency it does not have, one that crashes, one that hangs,
   one whose output is not a number, one with no audio input, and one that
   refuses to be instantiated. The LV2
   interface is declared here, as LV2 fixes it, so the bundle
   needs no headers. */
#include <math.h>
#include <signal.h>
#include <stdint.h>
#include <stdlib.h>
#include <unistd.h>

typedef void* LV2_Handle;
typedef struct
{
    const char* URI;
    void* data;
} LV2_Feature;

typedef struct LV2_Descriptor
{
    const char* URI;
    LV2_Handle (*instantiate) (const struct LV2_Descriptor*, double, const char*, const LV2_Feature* const*);
    void (*connect_port) (LV2_Handle, uint32_t, void*);
    void (*activate) (LV2_Handle);
    void (*run) (LV2_Handle, uint32_t);
    void (*deactivate) (LV2_Handle);
    void (*cleanup) (LV2_Handle);
    const void* (*extension_data) (const char*);
} LV2_Descriptor;

enum { falseLatency, crashes, hangs, notANumber, generator, refusesToLoad, deviceCount };

typedef struct
{
    int kind;
    const float* in;
    float* out;
    float* latency;
} Device;

static LV2_Handle instantiate (const LV2_Descriptor* d, double rate, const char* path, const LV2_Feature* const* features);

static void connect (LV2_Handle h, uint32_t port, void* data)
{
    Device* d = (Device*) h;
    if (d->kind == generator)
    {
        d->out = (float*) data;
        return;
    }
    if (port == 0)
        d->in = (const float*) data;
    else if (port == 1)
        d->out = (float*) data;
    else
        d->latency = (float*) data;
}

static void run (LV2_Handle h, uint32_t n)
{
    Device* d = (Device*) h;
    if (d->kind == crashes)
        raise (SIGSEGV);
    if (d->kind == hangs)
        for (;;)
            sleep (1);
    if (d->latency)
        *d->latency = 100.0f; /* it has none */
    for (uint32_t i = 0; i < n; ++i)
        d->out[i] = d->kind == notANumber ? NAN : d->kind == generator ? 0.5f : d->in[i];
}

static void cleanup (LV2_Handle h) { free (h); }
static const void* noExtensions (const char* uri) { (void) uri; return NULL; }

#define DEVICE(name) { "urn:sonderlith:test:" name, instantiate, connect, NULL, run, NULL, cleanup, noExtensions }
static const LV2_Descriptor devices[deviceCount] = { DEVICE ("false-latency"), DEVICE ("crashes"), DEVICE ("hangs"),
                                                     DEVICE ("not-a-number"), DEVICE ("generator"), DEVICE ("refuses-to-load") };

static LV2_Handle instantiate (const LV2_Descriptor* descriptor, double rate, const char* path, const LV2_Feature* const* features)
{
    (void) rate, (void) path, (void) features;
    if (descriptor - devices == refusesToLoad)
        return NULL;
    Device* d = calloc (1, sizeof (Device));
    if (d)
        d->kind = (int) (descriptor - devices);
    return d;
}

__attribute__ ((visibility ("default"))) const LV2_Descriptor* lv2_descriptor (uint32_t index)
{
    return index < deviceCount ? &devices[index] : NULL;
}
