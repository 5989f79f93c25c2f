#!/usr/bin/env python3
"""Reads the program's manifest (the raw resource) for the release checks, one "name=value" a line:
the assembly's identity, the assemblies it depends on, the execution level it asks for, and every
namespace declaration in document order with the element that carries it.

  manifest.py FILE
"""
import sys
import xml.etree.ElementTree as ET
import xml.parsers.expat

V1 = "{urn:schemas-microsoft-com:asm.v1}"
V3 = "{urn:schemas-microsoft-com:asm.v3}"


def declarations(data):
    pending = []
    found = []

    def declared(prefix, uri):
        pending.append("xmlns%s=%s" % (":" + prefix if prefix else "", uri))

    def element(name, attributes):
        found.extend("%s %s" % (name.split(" ")[-1], d) for d in pending)
        pending.clear()

    parser = xml.parsers.expat.ParserCreate(namespace_separator=" ")
    parser.StartNamespaceDeclHandler = declared
    parser.StartElementHandler = element
    parser.Parse(data, True)
    return found


def main(path):
    with open(path, "rb") as f:
        data = f.read().rstrip(b"\0")
    root = ET.fromstring(data)
    print("root=%s" % root.tag)
    identity = root.find(V1 + "assemblyIdentity")
    if identity is not None:
        print("identity=%s %s %s" % (identity.get("name"), identity.get("version"),
                                     identity.get("processorArchitecture")))
    for dependent in root.findall("%sdependency/%sdependentAssembly/%sassemblyIdentity" % (V1, V1, V1)):
        print("dependency=%s %s" % (dependent.get("name"), dependent.get("version")))
    for level in root.findall("%strustInfo/%ssecurity/%srequestedPrivileges/%srequestedExecutionLevel"
                              % (V3, V3, V3, V3)):
        print("execution_level=%s" % level.get("level"))
        print("ui_access=%s" % level.get("uiAccess"))
    for declaration in declarations(data):
        print("declaration=%s" % declaration)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    try:
        sys.exit(main(sys.argv[1]))
    except (OSError, ET.ParseError, xml.parsers.expat.ExpatError) as e:
        print("%s: %s" % (sys.argv[1], e))
        sys.exit(2)
