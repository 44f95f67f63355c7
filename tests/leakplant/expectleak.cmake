# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the leak plant and passes only when the leak checker reports its
# planted object with a stack that reaches the slot and, through Qt's event
# loop, main():
#   cmake -DPROGRAM=<leakplant> -P expectleak.cmake
execute_process(COMMAND ${PROGRAM} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(status EQUAL 0)
  message(FATAL_ERROR "leakplant exited with status 0: the planted leak went unreported")
endif()
if(out MATCHES "LeakSanitizer has encountered a fatal error")
  message(FATAL_ERROR "the leak checker itself failed (status ${status})")
endif()
if(NOT out MATCHES "ERROR: LeakSanitizer: detected memory leaks")
  message(FATAL_ERROR "leakplant failed (status ${status}) without a leak report")
endif()
# One report block from "Direct leak" to the next blank line holds the
# planted object; it must run through the slot, the event loop and main().
string(REGEX MATCHALL "Direct leak of [^\n]*\n([^\n]+\n)*" blocks "${out}")
foreach(block IN LISTS blocks)
  if(block MATCHES "LeakPlanter::plant")
    foreach(frame "QCoreApplication::exec" "in main ")
      if(NOT block MATCHES "${frame}")
        message(FATAL_ERROR "the planted leak's stack stops short of ${frame}:\n${block}")
      endif()
    endforeach()
    return()
  endif()
endforeach()
message(FATAL_ERROR "no leak report names LeakPlanter::plant")
