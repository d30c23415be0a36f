# Fails unless each binary imports only the Windows system DLLs allowed for it: the hook
# library is mapped into every process that takes mouse input, where no runtime DLL of ours
# can be found. usage: cmake -DOBJDUMP=... -DPROGRAM=Qor.exe -DLIBRARY=Qordll.dll -P this
function(check_imports file allowed)
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
  if(NOT lines)
    message(FATAL_ERROR "${file}: no imports found")
  endif()
  foreach(line IN LISTS lines)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOUPPER "${dll}" dll)
    list(FIND allowed "${dll}" found)
    if(found EQUAL -1)
      message(FATAL_ERROR "${file} imports ${dll}, which is not among: ${allowed}")
    endif()
    message(STATUS "${file}: ${dll}")
  endforeach()
endfunction()

check_imports(${LIBRARY} "KERNEL32.DLL;USER32.DLL;ADVAPI32.DLL")
check_imports(${PROGRAM}
  "KERNEL32.DLL;USER32.DLL;GDI32.DLL;ADVAPI32.DLL;SHELL32.DLL;SHLWAPI.DLL;COMCTL32.DLL;MSVCRT.DLL;OLE32.DLL;OLEAUT32.DLL;WTSAPI32.DLL")
