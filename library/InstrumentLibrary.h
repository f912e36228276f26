/* The exports of an instrument library, as the program calls them.
 *
 * Every argument is a 32-bit value; enumerations (port, bit rate, data bits,
 * stop bits, parity, flow control, line end) travel as the ordinals of the
 * instrument catalogue. String arguments are zero-terminated 8-bit texts
 * owned by the caller for the duration of the call. String results are owned
 * by the library and stay valid until the next call into it. Status results
 * are result codes (below) in the low byte.
 *
 * Calls run on the caller's thread. While a call waits for the line it runs
 * the host's message pump (SetMessagePump); code run there may call SetBreak.
 * Any other export called from inside a running one is refused: codes answer
 * VELTRO_WRITE_FAILED, texts answer "".
 */
#ifndef VELTRO_INSTRUMENT_LIBRARY_H
#define VELTRO_INSTRUMENT_LIBRARY_H

#include <stdint.h>

#if defined(VELTRO_BUILDING_INSTRUMENT_LIBRARY)
#define VELTRO_LIBRARY_API __attribute__((visibility("default")))
#else
#define VELTRO_LIBRARY_API
#endif

#ifdef __cplusplus
#define VELTRO_NOEXCEPT noexcept
extern "C" {
#else
#define VELTRO_NOEXCEPT
#endif

/* Result codes. */
enum {
  VELTRO_OPEN_FAILED = 0,       /* the serial port could not be opened */
  VELTRO_READ_TIMEOUT = 1,      /* the instrument stopped sending */
  VELTRO_OK = 2,
  VELTRO_NO_ANSWER = 3,         /* nothing happened within the waiting time after opening */
  VELTRO_WRONG_FORMAT = 4,      /* a format this library does not handle */
  VELTRO_FLOW_UNSUPPORTED = 5,  /* the flow control (or line end) cannot be used */
  VELTRO_FILE_OPEN_FAILED = 6,
  VELTRO_FILE_READ_FAILED = 7,
  VELTRO_FILE_CLOSE_FAILED = 8,
  VELTRO_FORMAT_CHANGED = 9,    /* GetTFFormat names the new format */
  VELTRO_WRITE_FAILED = 11,     /* write error or write time-out */
  VELTRO_BLOCK_REFUSED = 12,    /* a received block never checked out (GetErrorBuf names the line) */
  VELTRO_NOT_ACKNOWLEDGED = 13, /* a sent line was never acknowledged */
  VELTRO_CANCELLED = 14         /* SetBreak(14) */
};

/* Opens the connection. fileName "" uses serial port `port` (1 to 8) with the
 * given settings; any other name reads that instrument file instead, and
 * "NoOpen" collects written lines without an input file. The times are in ms,
 * taken modulo 65536: readTime limits each ReadComm, writeTime each
 * WriteComm, waitTime the first call after opening. Answers VELTRO_OK, or
 * VELTRO_OPEN_FAILED / VELTRO_FILE_OPEN_FAILED with the reason in
 * GetErrorBuf. Opening again first closes the open connection. */
VELTRO_LIBRARY_API int32_t OpenComm(int32_t port, int32_t baudRate, int32_t dataBits, int32_t stopBits,
                                    int32_t parity, int32_t flowControl, int32_t endOfLine, int32_t readTime,
                                    int32_t writeTime, int32_t waitTime, const char* fileName) VELTRO_NOEXCEPT;
/* Closes the port (after sending what is queued) and the input file. */
VELTRO_LIBRARY_API int32_t CloseComm(void) VELTRO_NOEXCEPT;
VELTRO_LIBRARY_API int32_t TachyOn(void) VELTRO_NOEXCEPT;
VELTRO_LIBRARY_API int32_t TachyOff(void) VELTRO_NOEXCEPT;
/* code: the transfer method to receive, 10 + the method to send. */
VELTRO_LIBRARY_API int32_t StartRemoteTransfer(int32_t code) VELTRO_NOEXCEPT;
/* Reads the next line of format `formatNumber` into the read buffer: the
 * line without its line end, or "\x04" at the end of the transmission. */
VELTRO_LIBRARY_API int32_t ReadComm(int32_t formatNumber) VELTRO_NOEXCEPT;
VELTRO_LIBRARY_API const char* GetReadBuf(void) VELTRO_NOEXCEPT;
/* The format tag of the data received ("kTAVRIN"); "" until recognised. */
VELTRO_LIBRARY_API const char* GetTFFormat(void) VELTRO_NOEXCEPT;
/* Sends one line (a text up to its first CR LF) followed by the line end;
 * "\x04" sends only the line end. Without a port the line is collected. */
VELTRO_LIBRARY_API int32_t WriteComm(int32_t formatNumber, const char* line) VELTRO_NOEXCEPT;
/* The lines collected without a port, each with its line end. */
VELTRO_LIBRARY_API const char* GetWriteBuf(void) VELTRO_NOEXCEPT;
/* Why the last call failed; "" when nothing failed. Kept after CloseComm. */
VELTRO_LIBRARY_API const char* GetErrorBuf(void) VELTRO_NOEXCEPT;
/* Everything received unchanged since SetNoTrans. */
VELTRO_LIBRARY_API const char* GetOriginalDaten(void) VELTRO_NOEXCEPT;
/* Collects the raw received bytes from now until the next OpenComm. */
VELTRO_LIBRARY_API void SetNoTrans(void) VELTRO_NOEXCEPT;
/* Cancels (14) or ends with a code: closes the port, unless a read is
 * running, which then ends with 14 itself. Safe from inside the pump. */
VELTRO_LIBRARY_API void SetBreak(int32_t code) VELTRO_NOEXCEPT;
/* Optional: the function that runs the host's pending window messages,
 * called once per pass of every wait; NULL waits without pumping. */
VELTRO_LIBRARY_API void SetMessagePump(void (*pump)(void)) VELTRO_NOEXCEPT;

/* Optional: ReadComm, GetReadBuf and GetTFFormat in one call. Reads as
 * ReadComm does and answers its code; *line receives the read buffer,
 * *length its size in bytes and *tag the format tag (any of them may be
 * NULL). The texts are the library's, valid until the next call into it;
 * a refused call gives "" and length 0. */
VELTRO_LIBRARY_API int32_t ReadCommLine(int32_t formatNumber, const char** line, int32_t* length,
                                        const char** tag) VELTRO_NOEXCEPT;
/* Optional: while a file-mode connection is open ("NoOpen" or an input
 * file), every WriteComm writes its line and the line end to the file
 * fileName (created, or emptied when it exists) instead of collecting them,
 * and GetWriteBuf stays "". NULL or "" closes the file. Answers VELTRO_OK;
 * VELTRO_OPEN_FAILED without a file-mode connection; VELTRO_FILE_OPEN_FAILED
 * when the file cannot be created; VELTRO_FILE_CLOSE_FAILED when the file
 * did not close cleanly, or a write to it failed earlier (its content is
 * then incomplete). A write that fails answers VELTRO_WRITE_FAILED, as do
 * all later ones. The reason is in GetErrorBuf. CloseComm and OpenComm
 * close the file too. */
VELTRO_LIBRARY_API int32_t SetWriteFile(const char* fileName) VELTRO_NOEXCEPT;

/* Optional, in the libraries of instruments that keep projects (jobs) and
 * code lists. Lists are lines "name,number" joined with CR LF; "" when the
 * instrument gives none or does not answer. The changes answer 1 when the
 * instrument confirmed them, else 0. */
VELTRO_LIBRARY_API const char* GetInstrument(void) VELTRO_NOEXCEPT;
VELTRO_LIBRARY_API const char* GetProjects(void) VELTRO_NOEXCEPT;
VELTRO_LIBRARY_API int32_t ClearProject(int32_t number) VELTRO_NOEXCEPT;
VELTRO_LIBRARY_API int32_t SetProject(int32_t number, const char* name) VELTRO_NOEXCEPT;
VELTRO_LIBRARY_API const char* GetCodeLists(void) VELTRO_NOEXCEPT;
VELTRO_LIBRARY_API int32_t ClearCodeList(int32_t number) VELTRO_NOEXCEPT;
VELTRO_LIBRARY_API int32_t SetCodeList(int32_t number, const char* name) VELTRO_NOEXCEPT;

/* Pointer types for looking the exports up by name. */
typedef int32_t (*veltro_open_comm_fn)(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                       int32_t, int32_t, const char*);
typedef int32_t (*veltro_code_fn)(void);
typedef int32_t (*veltro_code_int_fn)(int32_t);
typedef int32_t (*veltro_write_comm_fn)(int32_t, const char*);
typedef const char* (*veltro_text_fn)(void);
typedef void (*veltro_void_fn)(void);
typedef void (*veltro_set_break_fn)(int32_t);
typedef void (*veltro_set_message_pump_fn)(void (*)(void));
typedef int32_t (*veltro_set_named_fn)(int32_t, const char*);
typedef int32_t (*veltro_read_comm_line_fn)(int32_t, const char**, int32_t*, const char**);
typedef int32_t (*veltro_set_write_file_fn)(const char*);

#ifdef __cplusplus
}
#endif

#endif /* VELTRO_INSTRUMENT_LIBRARY_H */
