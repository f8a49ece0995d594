#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into tests/fuzz/corpus/<target>/.

The configuration file seeds are the test fixtures and the default configuration as they are;
the others are built here from the same fixtures in each target's input layout (see the
comment at the top of each fuzz_<target>.cpp). Run it again after changing a layout."""

import json
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
CORPUS = os.path.join(HERE, "corpus")
DEFAULT_CONFIG = os.path.join(ROOT, "resources", "orv", "configs", "PTC-CT", "PTC-CT_1.0.0.ocf")
FIXTURES = os.path.join(ROOT, "tests", "data")

LINK_USB = 0x75
LINK_BLE = 0x62


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def h(text):
    return bytes.fromhex(text)


# --- parameter elements ------------------------------------------------------------------------

def element(pid, value):
    n = len(value)
    code = {1: 0, 2: 1, 4: 2}.get(n)
    if code is None:
        return bytes([0xC0 | pid, n]) + value
    return bytes([(code << 6) | pid]) + value


def default_records():
    with open(DEFAULT_CONFIG) as f:
        params = json.load(f)["params"]
    records = []
    for member in params.values():
        value = bytes.fromhex(member["data"])
        if member.get("isBuf"):
            value = bytes([member.get("index", 0)]) + value
        records.append(element(member["param"], value))
    return records


def pack(records, payload):
    frames, frame = [], b""
    for r in records:
        if frame and len(frame) + len(r) > payload:
            frames.append(frame)
            frame = b""
        frame += r
    if frame:
        frames.append(frame)
    return frames


# --- protocol answers ---------------------------------------------------------------------------

def answer(link, status, payload):
    return bytes([link, status, len(payload) & 0xFF, len(payload) >> 8]) + payload


def usb(status, hexpayload):
    return answer(LINK_USB, status, h(hexpayload))


def multi(link, kind, data, chunk):
    """An answer of kind 6 spread over packets of at most chunk data bytes."""
    pieces = [data[i:i + chunk] for i in range(0, len(data), chunk)] or [b""]
    out = b""
    for i, p in enumerate(pieces):
        out += answer(link, 1 if i == len(pieces) - 1 else 2, bytes([kind]) + p)
    return out


IDENT = "06 1C 00 01 0E 02 01 70 B3 D5 49 9A 0C 1E 2F"
IDENT_EXTENDED = "06 9C 00 01 0E 02 01 05 03 01 FF FF FF FF"


def protocol_seeds():
    loaded = b"".join(default_records())
    seeds = {
        "connect_usb": (0x00, 0,
                        usb(1, "40 00") + usb(1, IDENT) + usb(1, "06 20 01")
                        + multi(LINK_USB, 6, loaded, 60) + usb(1, "06 00 00") + usb(1, "06")),
        "connect_extended_ident": (0x00, 0, usb(1, "FA 00") + usb(1, IDENT_EXTENDED) + usb(1, "06 1F 01")),
        "connect_ble_whole_reads": (0x18, 0,
                                    answer(LINK_BLE, 0, h("40 00")) + answer(LINK_BLE, 1, h(IDENT))
                                    + answer(LINK_BLE, 1, h("06 20 01"))),
        "load_multi_packet": (0x01, 61, multi(LINK_USB, 6, loaded, 40)),
        "load_qualified": (0x01, 61, usb(2, "07 09 " + loaded[:30].hex()) + usb(1, "07 09 " + loaded[30:].hex())),
        "load_error_packet": (0x01, 61, usb(2, "06 " + loaded[:10].hex()) + usb(1, "08 03")),
        "load_final_kind_only": (0x01, 61, usb(2, "06 " + loaded[:10].hex()) + usb(1, "06")),
        "apply_one_frame": (0x02, 255, usb(1, "06 00 04")),
        "apply_two_frames": (0x02, 40, usb(1, "06 00") + usb(1, "06 01") + usb(1, "06 00")),
        "apply_refused_8": (0x02, 0, usb(1, "06 FF") * 40),
        "apply_not_acknowledged": (0x02, 61, usb(255, "")),
        "restore_then_load": (0x03, 61, usb(1, "06 00") + multi(LINK_USB, 6, loaded, 50)),
        "clock": (0x04, 61, usb(1, "06 F7 9F 3A 5E") + usb(1, "06") + usb(1, "07 08")),
        "bootloader": (0x05, 0, usb(1, "42 63 21") * 4),
        "terminal_live": (0x06, 0, usb(1, "") + usb(1, "") + usb(1, "34 12") + usb(1, "10 27") + usb(1, "A0 0F")),
        "raw_exchange": (0x07, 61, usb(2, "07 09 A1") + usb(1, "07 09 B1") + usb(1, "06 A1") + usb(1, "11 22")),
        "wrong_link_discard": (0x0F, 61, usb(1, "06 A1") + answer(LINK_BLE, 1, h("06 00"))),
        "oversized_length": (0x01, 61, h("75 01 01 04") + b"x" * 64),
    }
    for name, (control, size_code, stream) in seeds.items():
        write("protocol", name, bytes([control, size_code]) + stream)


# --- frame text -----------------------------------------------------------------------------------

def frames_seeds():
    records = default_records()
    texts = {
        "two_frames_crlf": (0, 0, "C503AABBCC\r\n0301"),
        "lf_and_trailing": (0, 0, "C503AABBCC\n0301\n"),
        "invalid_lines": (0, 0, "C505\r\nxyz\r\n03\r\n0301 0402\r\n"),
        "lower_case_separators": (1, 0, "c5 03 aa-bb:cc\n"),
        "defaults_payload_8": (0, 0, "\r\n".join(f.hex().upper() for f in pack(records, 8))),
        "defaults_payload_51": (0, 11, "\r\n".join(f.hex().upper() for f in pack(records, 51))),
        "defaults_one_frame": (1, 250, "\r\n".join(f.hex().upper() for f in pack(records, 1024))),
        "buffer_chunks_overlap": (0, 2, "D403000102\r\nD403020304\r\nD40110\r\n"),
    }
    for name, (flags, payload_code, text) in texts.items():
        write("frames", name, bytes([flags, payload_code]) + text.encode("utf-8"))


# --- BLE notifications ----------------------------------------------------------------------------

NOTIFY_PAYLOAD = 19  # bytes of one notification after its length byte (23-byte ATT MTU)


def notifications(message, chunk=NOTIFY_PAYLOAD):
    """The notifications of one message: each a length byte and up to chunk bytes."""
    out = b""
    for i in range(0, len(message), chunk):
        piece = message[i:i + chunk]
        value = bytes([len(piece)]) + piece
        out += bytes([len(value) + 1]) + value
    return out


GROUP_END = b"\x00"


def ble_seeds():
    loaded = b"".join(default_records())
    ble = lambda status, payload: answer(LINK_BLE, status, payload)
    seeds = {
        "reads_split": (0x00, 3,
                        notifications(ble(1, h("06 A1 A2"))) + GROUP_END
                        + notifications(ble(1, bytes(range(40))), 7)),
        "reads_trailing_bytes": (0x00, 1, h("05 02 62 01 FF FF") + h("04 02 02 00 06")),
        "reads_other_characteristic": (0x00, 2, h("FD 03 02 62 01") + notifications(ble(1, h("06 00")))),
        "reads_malformed": (0x00, 4, h("01") + h("03 05 01") + notifications(ble(1, h("06 00")))),
        "apply_answer": (0x02, 0, notifications(ble(1, h("06 00 00")))),
        "answers_and_raw": (0x04, 16,
                            notifications(ble(1, h("40 00"))) + GROUP_END + notifications(ble(1, h("42 63")))
                            + GROUP_END + notifications(ble(2, b"")) + GROUP_END
                            + notifications(ble(1, h("11 22 33"))) + GROUP_END),
        "load_multi_packet": (0x06, 0,
                              notifications(multi(LINK_BLE, 6, loaded, 60))),
        "bootloader_packets": (0x01, 3,
                               h("06 04 03 79 01 02") + GROUP_END + h("03 02 01 06") + GROUP_END
                               + h("FE 04") + bytes([255, 254]) + bytes(range(254)) + GROUP_END),
    }
    for name, (scenario, parameter, stream) in seeds.items():
        write("ble", name, bytes([scenario, parameter]) + stream)


def configfile_seeds():
    folder = os.path.join(CORPUS, "configfile")
    os.makedirs(folder, exist_ok=True)
    for name in sorted(os.listdir(FIXTURES)):
        if name.endswith(".ocf"):
            shutil.copy(os.path.join(FIXTURES, name), os.path.join(folder, name))
    shutil.copy(DEFAULT_CONFIG, os.path.join(folder, "default_PTC-CT.ocf"))


def release_seeds():
    def entry(version, url, product="pelm-configurator"):
        return json.dumps({"updates": {product: {"latest-version": version, "download-url": url}}},
                          indent=1).encode()
    seeds = {
        "newer.json": entry("1.0.8", "https://www.pelm-sensors.com/download?v=1.0.8&os=linux"),
        "same.json": entry("1.0.7", "http://example.com/dl"),
        "short.json": entry("1.2", "https://example.com/", product="p"),
        "javascript.json": entry("2.0", "javascript:alert(1)"),
        "markup.json": entry("2.0", 'https://example.com/"><img src=x onerror=alert(1)>'),
        "odd_versions.json": entry("1..x.99999999999999999999", "ftp://example.com/"),
        "two_products.json": json.dumps({"updates": {
            "pelm-configurator": {"latest-version": "1.10.0", "download-url": "https://a.example/"},
            "p": {"latest-version": 3, "download-url": ["https://b.example/"]}}}).encode(),
        "versions.txt": b"1.10.0\n1.9.3\n1.2.0\n",
        "array.json": b"[{\"updates\": {}}]",
    }
    for name, data in seeds.items():
        write("release", name, data)


def modbus_crc(data):
    crc = 0xFFFF
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return data + bytes([crc & 0xFF, crc >> 8])


def modbus_seeds():
    # The request the user typed (8 bytes with its CRC), then what the module sent back.
    holding = modbus_crc(h("010300000002"))
    coils = modbus_crc(h("11010013000A"))
    seeds = {
        "holding.bin": holding + modbus_crc(h("0103040102030a")),
        "coils.bin": coils + modbus_crc(h("110102cd01")),
        "exception.bin": holding + modbus_crc(h("018302")),
        "bad_crc.bin": holding + h("01030401020304ffff"),
        "short_count.bin": holding + modbus_crc(h("01030201")),
        "other_slave.bin": holding + modbus_crc(h("0203040102030a")),
    }
    for name, data in seeds.items():
        write("modbus", name, data)


if __name__ == "__main__":
    configfile_seeds()
    frames_seeds()
    protocol_seeds()
    ble_seeds()
    release_seeds()
    modbus_seeds()
