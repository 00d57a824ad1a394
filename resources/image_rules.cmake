# What a built-in image must satisfy: its file name starts with a catalogue
# model and "_" (the prefix presets the model), and the model takes its length.
# Mirrors the catalogue and the worker's image-limit table.

set(PLCBURN_CATALOGUE_MODELS
  PM7-PN7-V2 RU7 RV7 RC7 PM7-D-V2 TK PL8 30PN7-AIO RV-V3 QLT-PM7-V2 TK-G RC7-G
  KQ300 PM-PN-PL7 PN7-MOB RC28 PM7-F KQ200 KQ200-AIO TK26 PM8-PN8 HVC-W KQ100 PN8-AIO
  PM7-PN7-V4 RV-V4 QLT-PM7-V4 PM8-BUNDLE PM7-D-V4 RW8RV8 RV8-AIO)

# Fails the configure step when `name` and `length` do not make a usable image.
function(plcburn_check_image name length)
  string(FIND "${name}" "_" underscore)
  if(underscore LESS 1)
    message(FATAL_ERROR "Firmware image '${name}': the file name must start with a model name and '_' "
                        "(e.g. KQ200_v1.12.10_20220613_01.bin)")
  endif()
  string(SUBSTRING "${name}" 0 ${underscore} model)
  if(NOT model IN_LIST PLCBURN_CATALOGUE_MODELS)
    message(FATAL_ERROR "Firmware image '${name}': '${model}' is not a known PLC model; "
                        "known models: ${PLCBURN_CATALOGUE_MODELS}")
  endif()

  set(minimum 0)
  if(model MATCHES "^(PM7-D-V2|PM7-D-V4|PN7-MOB|RC28)$")
    set(maximum 524288)
  elseif(model MATCHES "^(PM7-F|TK26)$")
    set(maximum 917504)
  elseif(model STREQUAL "30PN7-AIO")
    set(maximum 12288)
  elseif(model MATCHES "^(KQ200-AIO|PN8-AIO|RV8-AIO)$")
    set(maximum 40960)
  elseif(model MATCHES "^(KQ300|KQ200|PM8-PN8|PM8-BUNDLE|HVC-W|KQ100|RW8RV8)$")
    set(maximum 2076672)
    set(minimum 4096)  # a sector model keeps its last 4096 bytes
  else()
    set(maximum 493568)
  endif()
  if(length GREATER maximum)
    message(FATAL_ERROR "Firmware image '${name}': ${length} bytes is more than ${model} accepts "
                        "(${maximum} bytes)")
  endif()
  if(length LESS minimum)
    message(FATAL_ERROR "Firmware image '${name}': ${length} bytes is less than ${model} needs "
                        "(${minimum} bytes)")
  endif()
endfunction()
