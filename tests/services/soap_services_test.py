#!/usr/bin/python3
"""The hosted SOAP services of `qdv70cli serve` against a real SOAP client (zeep, driven by the WSDL the
build generates) and raw HTTP, over loopback on ports the system chooses."""

import http.client
import os
import pathlib
import signal
import socket
import subprocess
import tempfile
import threading
import unittest

import zeep
import zeep.transports

CLI = os.environ["QDV70CLI"]
WSDL_DIR = os.environ["QDV70_WSDL_DIR"]
PS_NS = "http://switcher.example/pro/switcher/primarystation/configurationservice"
TIMEOUT = 60  # generous: the machine may be loaded
STD_SIZE = 16384
NME_SIZE = 35592


def encode(image: bytes) -> bytes:
    lines = [image[i:i + 128] for i in range(0, len(image), 128)]
    return b"".join(line.hex().upper().encode() + b"\r\n" for line in lines)


def pattern_image(controller_type: int = ord("e")) -> bytearray:
    image = bytearray((i * 7 + 3) & 0xFF for i in range(STD_SIZE))
    image[8191] = controller_type
    image[8192 + 255] = 0
    return image


class Plant:
    """A home folder with one selected setup whose backup holds a standard settings file, and the
    services of `qdv70cli serve` on it."""

    def __init__(self, std: bytes | None = None, deviceinfo_port: int = 0, services: int = 2,
                 names: bytes | None = None, before_start=None):
        self.dir = tempfile.TemporaryDirectory()
        self.home = os.path.join(self.dir.name, "home")
        self.backup = os.path.join(self.dir.name, "backup")
        os.makedirs(self.home)
        self.std_path = os.path.join(self.backup, "Primary", "ZEBU_STD.DAU")
        self.names_path = os.path.join(self.backup, "Name", "ZEBU_NME.DAU")
        for path, image in ((self.std_path, std), (self.names_path, names)):
            os.makedirs(os.path.dirname(path))
            if image is not None:
                pathlib.Path(path).write_bytes(encode(image))
        home = pathlib.Path(self.home)
        (home / "QDV70LIST.INI").write_text(
            f"[SETUP]\nREG=1\n[SELECT LIST]\nSETUP=0\n[SETUP_1]\nNAME=Plant\nDIR={self.backup}\n")
        (home / "QDV70COMM.INI").write_text("[UDP]\nBROADCAST=127.255.255.255\n[SOAP]\nBIND=127.0.0.1\n"
                                            f"DEVICEINFO={deviceinfo_port}\nPRIMARYSTATION=0\n")
        if before_start:
            before_start(self.backup)
        self.proc = subprocess.Popen([CLI, "--home", self.home, "serve"], stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, text=True)
        self.ports = {}
        while len(self.ports) < services:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("serve ended: " + self.proc.stderr.read())
            name, port = line.split()
            self.ports[name] = int(port)

    def client(self, service: str) -> zeep.Client:
        binding = {"deviceinfo": "DeviceInfoConfigurationSoapBinding",
                   "primarystation": "PrimaryStationConfigurationSoapBinding"}[service]
        wsdl = os.path.join(WSDL_DIR, service, binding + ".wsdl")
        client = zeep.Client(wsdl, transport=zeep.transports.Transport(timeout=TIMEOUT, operation_timeout=TIMEOUT))
        address = f"http://127.0.0.1:{self.ports[service]}/"
        return client, client.create_service(f"{{{binding}}}{binding}", address)

    def std(self) -> bytes:
        return pathlib.Path(self.std_path).read_bytes()

    def names(self) -> bytes:
        return pathlib.Path(self.names_path).read_bytes()

    def log(self) -> str:
        path = pathlib.Path(self.home, "log.txt")
        return path.read_text() if path.exists() else ""

    def stop(self) -> int:
        """Ends serve as a service manager would; the first call also notes whether the backup got its
        history (a change's snapshot is taken at the latest when serve ends) and removes the folders."""
        if self.proc.returncode is None:
            self.proc.send_signal(signal.SIGTERM)
            self.proc.wait(TIMEOUT)
            self.proc.stdout.close()
            self.proc.stderr.close()
            self.has_history = os.path.isdir(os.path.join(self.backup, ".git"))
            self.dir.cleanup()
        return self.proc.returncode


def post(port: int, body: bytes) -> tuple[int, bytes]:
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=TIMEOUT)
    conn.request("POST", "/", body, {"Content-Type": "text/xml; charset=utf-8"})
    response = conn.getresponse()
    result = response.status, response.read()
    conn.close()
    return result


def envelope(body: str) -> bytes:
    return ('<?xml version="1.0"?><s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/">'
            f'<s:Body>{body}</s:Body></s:Envelope>').encode()


class WsdlTest(unittest.TestCase):
    def test_theWsdlInDocsIsTheOneTheBuildGenerates(self):
        docs = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs")
        for service, binding in (("deviceinfo", "DeviceInfoConfigurationSoapBinding"),
                                 ("primarystation", "PrimaryStationConfigurationSoapBinding")):
            with open(os.path.join(WSDL_DIR, service, binding + ".wsdl"), "rb") as built, \
                    open(os.path.join(docs, binding + ".wsdl"), "rb") as kept:
                self.assertEqual(built.read(), kept.read(), f"copy the new {binding}.wsdl into docs/")


class StartTest(unittest.TestCase):
    def test_staleTemporariesGo_andGetInfoNamesTheControllerOrNothing(self):
        names = {"ZEBU_STD.DAU.Xy12Ab": (3600, False), "ZEBU_STD.DAU.Xy12Ac": (0, True)}

        def leftovers(backup):
            for name, (age, _) in names.items():
                path = os.path.join(backup, "Primary", name)
                open(path, "w").close()
                os.utime(path, (os.path.getmtime(path) - age,) * 2)

        plant = Plant(pattern_image(), before_start=leftovers)
        try:
            # A write-back's temporaries that a killed program left behind are removed at start.
            for name, (_, kept) in names.items():
                self.assertEqual(os.path.exists(os.path.join(plant.backup, "Primary", name)), kept, name)
            _, service = plant.client("deviceinfo")
            self.assertEqual([(i.DeviceName, i.DeviceCode, i.Port, i.ServerName) for i in service.GetInfo()],
                             [("KMC-1000(P)", 101, plant.ports["primarystation"], "PrimaryStation")])
            os.remove(plant.std_path)
            self.assertFalse(service.GetInfo())
            self.assertIn("read error[ZEBU_STD.DAU]1", plant.log())
        finally:
            self.assertEqual(plant.stop(), 0)


class PrimaryStationTest(unittest.TestCase):
    def setUp(self):
        self.original = pattern_image()
        self.original_names = bytes(NME_SIZE)
        self.plant = Plant(self.original, names=self.original_names)
        self.client, self.service = self.plant.client("primarystation")

    def tearDown(self):
        self.assertEqual(self.plant.stop(), 0)

    def named(self, no, name):
        return self.client.get_type(f"{{{PS_NS}}}NamedNumberType")(No=no, Name=name)

    def assert_refused(self, body: str, text: bytes):
        status, answer = post(self.plant.ports["primarystation"], envelope(body))
        self.assertEqual(status, 500, body[:200])
        self.assertIn(text, answer, body[:200])

    def test_namesTerminalsAndGroups_changeOnlyTheirBytes_afterProductInfo(self):
        self.assertEqual(self.service.SetTypeName(TypeName=[self.named(17, "XY")]),
                         "\nZEBU_STD.DAU File doesn't exist.")
        for get, file in ((self.service.GetTypeName, "STD"), (self.service.GetNameGroup, "NME")):
            with self.assertRaises(zeep.exceptions.Fault) as missing:
                get(No=[1])
            self.assertIn(f"ZEBU_{file}.DAU File doesn't exist.", missing.exception.message)
        self.assertEqual(self.plant.std(), encode(self.original))

        product = self.service.GetProductInfo()
        self.assertEqual((product.ProductName, product.Running, product.Reserved), ("RVQ-T7700", 1, 0))
        terminal = self.client.get_type(f"{{{PS_NS}}}TerminalType")
        member = self.client.get_type(f"{{{PS_NS}}}GroupTerminalType")
        group = self.client.get_type(f"{{{PS_NS}}}NameGroupType")
        # A name in the controller's own characters is stored in them and read back as sent.
        kana = "\uff76\uff92\uff97"
        self.assertEqual(self.service.SetTypeName(TypeName=[self.named(17, kana)]), "OK")
        self.assertEqual(self.service.SetDstTerm(Terminal=[terminal(No=512, Type=17, Number=837, Name="VTR 1")]),
                         "OK")
        self.assertEqual(self.service.AddNameGroup(NameGroup=[group(No=2, Terminal=[member(Dst=True, No=7)])]), "OK")
        std, names = bytearray(self.original), bytearray(self.original_names)
        std[8192:8196] = b"\xb6\xd2\xd7\0"  # type 17 is in the second half
        std[8192 + 2304:8192 + 2306] = b"\x0b\x45"
        names[16384 + 16 * 512:16384 + 16 * 512 + 5] = b"VTR 1"
        names[33025] = 1
        names[33032 + 320:33032 + 322] = b"\x80\x07"
        self.assertEqual(self.plant.std(), encode(bytes(std)))
        self.assertEqual(self.plant.names(), encode(bytes(names)))
        self.assertEqual([(t.No, t.Name) for t in self.service.GetTypeName(No=[17])], [(17, kana)])
        self.assertEqual([(t.No, t.Type, t.Number, t.Name) for t in self.service.GetDstTerm(No=[512])],
                         [(512, 17, 837, "VTR 1")])
        self.assertEqual([(t.Dst, t.No) for t in self.service.GetNameGroup(No=[2])[0].Terminal], [(True, 7)])
        self.assertEqual(self.plant.stop(), 0)
        self.assertTrue(self.plant.has_history)

    def test_phantomGroupsTieLinesAndIndexTable_refusedWithoutChange(self):
        self.service.GetProductInfo()
        for op, file in (("SetGPhan", "GPH"), ("GetGPhan", "GPH"), ("AddGPhan", "GPH"), ("DelGPhan", "GPH"),
                         ("SetTieLine", "TLN"), ("GetTieLine", "TLN"), ("FitAllIdx", "IDX"), ("AddAllIdx", "IDX")):
            self.assert_refused(f'<{op}Req xmlns="{PS_NS}"><No>1</No></{op}Req>', f"ZEBU_{file}.DAU: ".encode())
        self.assertEqual(self.plant.std(), encode(self.original))

    def test_malformedRequestsChangeNothing(self):
        self.service.GetProductInfo()
        port = self.plant.ports["primarystation"]
        before = self.plant.std()
        faults = [
            f'<SetTypeNameReq xmlns="{PS_NS}"><TypeName><No>1</No><Name>AB</Name></TypeNam></SetTypeNameReq>',
            f'<SetTypeNameReq xmlns="{PS_NS}"><TypeName><No>one</No><Name>AB</Name></TypeName></SetTypeNameReq>',
            f'<NoSuchOperationReq xmlns="{PS_NS}"/>',
            '<SetTypeNameReq xmlns="http://elsewhere/configurationservice"><TypeName><No>1</No></TypeName>'
            '</SetTypeNameReq>',
        ]
        for body in faults:
            self.assert_refused(body, b"Fault>")
        # A request element sent as nil is refused; before, the first such request ended the program.
        xsi = "http://www.w3.org/2001/XMLSchema-instance"
        for op in ("SetTypeName", "GetTypeName", "SetLvName", "GetLvName", "SetCtrlArea", "SetConfMode",
                   "SetActiveUnit", "GetActiveUnit", "SetDetUnit", "GetDetUnit", "SetSrcTerm", "GetSrcTerm",
                   "SetDstTerm", "GetDstTerm", "GetNameGroup", "AddNameGroup", "DelNameGroup", "GetStatus"):
            self.assert_refused(f'<{op}Req xmlns="{PS_NS}" xsi:nil="true" xmlns:xsi="{xsi}"/>',
                                b"The request element is nil")
        # One element with a mass of attributes is refused before the parser spends its time on it.
        attributes = " ".join(f'a{i}="1"' for i in range(80000))
        self.assert_refused(f'<GetProductInfoReq xmlns="{PS_NS}" {attributes}/>', b"attributes")
        # An oversized request is refused after its header: an error status, or, when the client is
        # still sending, a reset connection.
        try:
            status, _ = post(port, envelope(f'<SetTypeNameReq xmlns="{PS_NS}"><TypeName><No>1</No><Name>'
                                            + "A" * (3 << 20) + '</Name></TypeName></SetTypeNameReq>'))
            self.assertGreaterEqual(status, 400)
        except ConnectionError:
            pass
        self.assertEqual(self.plant.std(), before)
        # Any host with the service's path is the service.
        status, answer = post(port, envelope('<SetTypeNameReq xmlns="http://other.host/pro/switcher/primarystation/'
                                             'configurationservice"><TypeName><No>1</No><Name>Q</Name></TypeName>'
                                             '</SetTypeNameReq>'))
        self.assertEqual(status, 200)
        self.assertIn(b">OK<", answer)

    def test_concurrentClientsLeaveAValidFileWithTheLastWrites(self):
        self.service.GetProductInfo()
        rounds, errors = 25, []

        def writer(no):
            try:
                _, service = self.plant.client("primarystation")
                for r in range(rounds):
                    name = f"{no % 10}{r:03d}"
                    if service.SetTypeName(TypeName=[self.named(no, name)]) != "OK":
                        errors.append(no)
                    service.GetTypeName(No=[no])
            except Exception as e:  # noqa: BLE001 - any failure of a writer fails the test
                errors.append(repr(e))

        threads = [threading.Thread(target=writer, args=(no,)) for no in (1, 2, 17, 18, 30, 31)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(TIMEOUT * 4)
        self.assertEqual(errors, [])
        expected = bytearray(self.original)
        for no in (1, 2, 17, 18, 30, 31):
            at = (no - 1) * 8 if no <= 16 else 8192 + (no - 17) * 8
            expected[at:at + 4] = f"{no % 10}{rounds - 1:03d}".encode()
        self.assertEqual(self.plant.std(), encode(bytes(expected)))


class BindTest(unittest.TestCase):
    def test_portInUse_logsBindErr_andTheOtherServiceAnswers(self):
        with socket.socket() as taken:
            taken.bind(("127.0.0.1", 0))
            taken.listen()
            plant = Plant(pattern_image(), deviceinfo_port=taken.getsockname()[1], services=1)
            try:
                self.assertNotIn("deviceinfo", plant.ports)
                self.assertIn("bind err", plant.log())
                _, service = plant.client("primarystation")
                self.assertEqual(service.GetProductInfo().Running, 1)
            finally:
                self.assertEqual(plant.stop(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
