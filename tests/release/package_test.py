#!/usr/bin/env python3
"""The package a Windows user downloads, as tools/release/make_package.py
makes it from a build: what it holds, that its checksums are right, and that
its texts open in every Notepad.

    package_test.py BUILD_DIR
"""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else os.path.join(ROOT, "build")


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dist = tempfile.mkdtemp()
        cls.printed = subprocess.run([sys.executable, os.path.join(ROOT, "tools", "release", "make_package.py"),
                                      BUILD, cls.dist], capture_output=True, text=True, check=True).stdout
        with open(os.path.join(BUILD, "version.txt")) as f:
            cls.version = f.read().strip()
        cls.folder = "velmora-%s-win32" % cls.version
        cls.path = os.path.join(cls.dist, cls.folder + ".zip")
        with zipfile.ZipFile(cls.path) as archive:
            cls.files = {name.split("/", 1)[1]: archive.read(name) for name in archive.namelist()}
            cls.names = archive.namelist()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dist, ignore_errors=True)

    def test_one_folder_named_by_the_version_holds_the_four_files(self):
        self.assertEqual(sorted(self.names), sorted(self.folder + "/" + name for name in
                                                    ("Velmora.exe", "README.txt", "LICENSE.txt", "SHA256SUMS")))
        with open(os.path.join(BUILD, "bin", "Velmora.exe"), "rb") as f:
            self.assertEqual(self.files["Velmora.exe"], f.read(), "the release build, as built")

    def test_the_checksums_are_those_of_the_files(self):
        lines = self.files["SHA256SUMS"].decode("ascii").splitlines()
        self.assertEqual(len(lines), 3)
        for line in lines:
            digest, name = line.split(" *")
            self.assertEqual(digest, hashlib.sha256(self.files[name]).hexdigest(), name)

    def test_the_texts_open_in_every_notepad_and_name_the_version(self):
        for name in ("README.txt", "LICENSE.txt"):
            text = self.files[name]
            self.assertTrue(text.startswith(b"\xef\xbb\xbf"), name)
            self.assertNotIn(b"\n", text.replace(b"\r\n", b""), name + " has a bare line feed")
        readme = self.files["README.txt"].decode("utf-8-sig")
        self.assertIn("Velmora " + self.version, readme)
        for words in ("VELMORA_GALLERY_URL", "下载失败", "%USERPROFILE%\\Pictures", "certutil -hashfile"):
            self.assertIn(words, readme)

    def test_it_prints_where_the_zip_is_its_size_and_its_sha256(self):
        with open(self.path, "rb") as f:
            data = f.read()
        self.assertIn(os.path.abspath(self.path), self.printed)
        self.assertIn("%d bytes" % len(data), self.printed)
        self.assertIn(hashlib.sha256(data).hexdigest(), self.printed)


if __name__ == "__main__":
    unittest.main()
