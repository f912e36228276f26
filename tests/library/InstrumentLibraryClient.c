/* A C host of an instrument library: the public header compiles as C, its
 * pointer types match the declarations, and a library loaded by path works
 * through them. Usage: client LIBRARY; exit status 0 when all is well. */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include "library/InstrumentLibrary.h"

/* Compile-time check: comparing distinct pointer types fails with -Werror. */
#define SAME_TYPE(function, type) ((void)sizeof((type)0 == &function))

static int failures = 0;

static void Check(int ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "failed: %s\n", what);
    ++failures;
  }
}

/* dlsym answers an object pointer; ISO C converts it to a function pointer
 * only through memory. */
static void Lookup(void* library, const char* name, void* function, size_t size) {
  void* address = dlsym(library, name);
  memcpy(function, &address, size);
}

int main(int argc, char** argv) {
  void* library;
  veltro_open_comm_fn open_comm;
  veltro_write_comm_fn write_comm;
  veltro_text_fn get_write_buf;
  veltro_code_fn close_comm;
  veltro_set_message_pump_fn set_message_pump;

  SAME_TYPE(OpenComm, veltro_open_comm_fn);
  SAME_TYPE(CloseComm, veltro_code_fn);
  SAME_TYPE(TachyOn, veltro_code_fn);
  SAME_TYPE(TachyOff, veltro_code_fn);
  SAME_TYPE(StartRemoteTransfer, veltro_code_int_fn);
  SAME_TYPE(ReadComm, veltro_code_int_fn);
  SAME_TYPE(WriteComm, veltro_write_comm_fn);
  SAME_TYPE(GetReadBuf, veltro_text_fn);
  SAME_TYPE(GetWriteBuf, veltro_text_fn);
  SAME_TYPE(GetErrorBuf, veltro_text_fn);
  SAME_TYPE(GetOriginalDaten, veltro_text_fn);
  SAME_TYPE(GetTFFormat, veltro_text_fn);
  SAME_TYPE(SetNoTrans, veltro_void_fn);
  SAME_TYPE(SetBreak, veltro_set_break_fn);
  SAME_TYPE(SetMessagePump, veltro_set_message_pump_fn);
  SAME_TYPE(ReadCommLine, veltro_read_comm_line_fn);
  SAME_TYPE(SetWriteFile, veltro_set_write_file_fn);

  if (argc != 2) return 2;
  library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    fprintf(stderr, "%s\n", dlerror());
    return 1;
  }
  Lookup(library, "OpenComm", &open_comm, sizeof open_comm);
  Lookup(library, "WriteComm", &write_comm, sizeof write_comm);
  Lookup(library, "GetWriteBuf", &get_write_buf, sizeof get_write_buf);
  Lookup(library, "CloseComm", &close_comm, sizeof close_comm);
  Lookup(library, "SetMessagePump", &set_message_pump, sizeof set_message_pump);
  Check(open_comm && write_comm && get_write_buf && close_comm && set_message_pump, "exports found");
  if (failures) return 1;
  set_message_pump(NULL);
  /* COM1, 9600, 8 data bits, 1 stop bit, no parity, no handshake, CR LF. */
  Check(open_comm(1, 6, 4, 0, 0, 0, 3, 1000, 1000, 1000, "NoOpen") == VELTRO_OK, "OpenComm NoOpen");
  Check(write_comm(14, "P1;1.000;2.000;3.000;A") == VELTRO_OK, "WriteComm");
  Check(strcmp(get_write_buf(), "P1;1.000;2.000;3.000;A\r\n") == 0, "GetWriteBuf");
  Check(close_comm() == VELTRO_OK, "CloseComm");
  dlclose(library);
  return failures ? 1 : 0;
}
