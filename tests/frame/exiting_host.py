"""The exiting host (ExitingHost.c) as a Python program using ctypes: loads
the module, opens the session with one conversion, optionally makes a failing
call, and ends by HOW with the module still loaded (return, exit) or after
unloading it (unload).

    python3 exiting_host.py MODULE DATABASE SHG KEY HOW [then-fail]
"""
import ctypes
import sys


def end_process_here():
    sys.exit(0)


def main(argv):
    module_path, database, shg, key, how = argv[1:6]
    then_fail = argv[6:] == ["then-fail"]
    module = ctypes.CDLL(module_path)
    convert = module.bConvertSHGToGIFMAP
    convert.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int32]
    convert.restype = ctypes.c_int32
    if convert(database.encode(), shg.encode(), int(key)) != 1:
        return "the conversion answered 0"
    if then_fail and convert(database.encode(), (shg + "-missing.shg").encode(), int(key)) != 0:
        return "a missing file answered 1"
    print("ending by:", how, flush=True)
    if how == "exit":
        end_process_here()
    elif how == "unload":
        import _ctypes
        _ctypes.dlclose(module._handle)
    elif how != "return":
        return "unknown HOW"
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
